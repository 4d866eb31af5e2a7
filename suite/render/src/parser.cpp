#include "render/parser.h"

#include <algorithm>
#include <cstdio>

namespace dprender {
namespace {

constexpr unsigned char kEsc = 27;
constexpr unsigned char kPrintPath = 34;  // ESC 34 c: the print path's own commands
constexpr double kMinPoints = 2, kMaxPoints = 144;
constexpr double kOrdinaryPoints = 10.5;  // the printer's own size, without ESC X

bool isBlank(unsigned char c) { return c == ' ' || c == 255; }

std::string showByte(unsigned char c) {
    char buf[16];
    if (c >= 33 && c < 127) std::snprintf(buf, sizeof buf, "'%c'", c);
    else std::snprintf(buf, sizeof buf, "%u", c);
    return buf;
}

}  // namespace

FaceWidths FaceWidths::uniform(float em) {
    FaceWidths w;
    w.regular.fill(em);
    w.bold.fill(em);
    return w;
}

Parser::Parser(ParseOptions options, PageSink sink) : opt_(std::move(options)), sink_(std::move(sink)) {
    page_.number = 1;
}

void Parser::feed(std::string_view bytes) {
    for (char ch : bytes) {
        if (stopped_ || failed()) return;
        byte(static_cast<unsigned char>(ch));
        ++offset_;
    }
}

void Parser::finish() {
    if (finished_) return;
    finished_ = true;
    if (stopped_ || failed()) return;
    if (!cmd_.empty()) diag_.truncatedCommand = true;
    cmd_.clear();
    flushRun();
    if (!page_.runs.empty() || pagesOut_ == 0) endPage();
}

void Parser::byte(unsigned char c) {
    if (!cmd_.empty()) {
        cmd_.push_back(static_cast<char>(c));
        if (cmd_.size() >= commandLength()) command();
        return;
    }
    switch (c) {
        case kEsc:
            flushRun();
            cmd_.assign(1, static_cast<char>(c));
            cmdOffset_ = offset_;
            return;
        case '\r':
            flushRun();
            x_ = 0;
            return;
        case '\n':
            newLine();
            return;
        case '\f':
            flushRun();
            x_ = 0;
            top_ = 0;
            endPage();
            return;
        case '\t': {
            flushRun();
            const double tab = 8 * style_.cellPt();
            x_ = (static_cast<int>(x_ / tab + 1e-9) + 1) * tab;
            return;
        }
        case '\b':
            flushRun();
            x_ = std::max(0.0, x_ - style_.cellPt());
            return;
        default:
            break;
    }
    if (c < 32 || c == 127) {
        ++diag_.ignoredControls;
        return;
    }
    glyph(c);
}

// Bytes a command takes, from what has been read of it so far.
std::size_t Parser::commandLength() const {
    if (cmd_.size() < 2) return 2;
    switch (static_cast<unsigned char>(cmd_[1])) {
        case 'j': case 'J': case 'p': case 'k': case '!': return 3;
        case 'X': return 5;
        case kPrintPath:
            if (cmd_.size() < 3) return 3;
            if (cmd_[2] == 'Q') return 4;
            if (cmd_[2] == 'R') return 6;
            return 3;
        default: return 2;
    }
}

void Parser::command() {
    const auto arg = [this](std::size_t i) { return static_cast<unsigned char>(cmd_[i]); };
    const unsigned char k = arg(1);
    switch (k) {
        case 'j':
            top_ -= arg(2);
            if (top_ < 0) {
                // The paper goes back no further than the top of the sheet: what follows prints
                // lower than the file meant.
                if (diag_.stoppedAtTop++ == 0) diag_.firstStopAtTop = cmdOffset_;
                diag_.stoppedAtTopDots += static_cast<std::size_t>(-top_);
                top_ = 0;
            }
            break;
        case 'J': feedPaper(arg(2)); break;
        case 'X': {
            const unsigned char m = arg(2);
            if (m == 1) style_.proportional = true;
            else if (m >= 5) {
                style_.cpi = 360.0 / m;
                style_.proportional = false;
            } else if (m != 0) {
                unknown("ESC 'X' " + showByte(m));
            }
            const int size = arg(3) + 256 * arg(4);
            if (size != 0) style_.points = std::clamp(size / 2.0, kMinPoints, kMaxPoints);
            break;
        }
        case 'P': selectPitch(10); break;
        case 'M': selectPitch(12); break;
        case 'g': selectPitch(15); break;
        case 'p':
            // Proportional spacing on or off; either ends a point size chosen by ESC X.
            if (arg(2) == 0 || arg(2) == '0') style_.proportional = false;
            else if (arg(2) == 1 || arg(2) == '1') style_.proportional = true;
            else unknown("ESC 'p' " + showByte(arg(2)));
            style_.points = kOrdinaryPoints;
            break;
        case '!': masterSelect(arg(2)); break;
        case 'E': style_.bold = true; break;
        case 'F': style_.bold = false; break;
        case 'k': style_.typeface = arg(2); break;
        case '@': style_ = Style{}; break;  // the reset: 10 cpi in the ordinary size
        case kPrintPath: printCommand(); break;
        default: unknown("ESC " + showByte(k)); break;
    }
    cmd_.clear();
}

// ESC P, ESC M and ESC g: fixed pitch in the printer's ordinary 10.5-point size.
void Parser::selectPitch(double cpi) {
    style_.cpi = cpi;
    style_.points = kOrdinaryPoints;
    style_.proportional = false;
}

// ESC ! n, the print mode in one byte: bit 0 twelve characters an inch (else ten), bit 1
// proportional, bit 2 condensed, bit 3 bold, bit 5 double width. Like every pitch command it
// ends a point size chosen by ESC X.
void Parser::masterSelect(unsigned char n) {
    double cpi = (n & 0x01) ? 12 : 10;
    if (n & 0x04) cpi = cpi == 12 ? 20 : 17.14;
    if (n & 0x20) cpi /= 2;
    style_.cpi = cpi;
    style_.proportional = (n & 0x02) != 0;
    style_.bold = (n & 0x08) != 0;
    style_.points = kOrdinaryPoints;
}

void Parser::printCommand() {
    const auto arg = [this](std::size_t i) { return static_cast<unsigned char>(cmd_[i]); };
    switch (arg(2)) {
        case 'Q':
            if (arg(3) != 0) {
                style_.cpi = arg(3);
                style_.proportional = false;
            }
            break;
        case 'R': style_.ink = (std::uint32_t{arg(3)} << 16) | (std::uint32_t{arg(4)} << 8) | arg(5); break;
        case 'V': style_.outline = true; break;
        case 'U': style_.outline = false; break;
        case 'W': style_.proportional = true; break;
        case 'X':
            style_.proportional = false;
            style_.outline = false;
            break;
        case 'y': style_.fineRules = false; break;
        case 'z': style_.fineRules = true; break;
        default: unknown("ESC 34 " + showByte(arg(2))); break;
    }
}

double Parser::advance(unsigned char c) const {
    if (!style_.proportional) return style_.cellPt();
    const auto& table = style_.bold ? opt_.widths.bold : opt_.widths.regular;
    return static_cast<double>(table[c]) * style_.points;
}

void Parser::glyph(unsigned char c) {
    const double w = advance(c);
    if (isBlank(c)) {
        if (run_.bytes.empty()) {
            x_ += w;
        } else {
            ++pendingBlanks_;
            pendingBlankWidth_ += w;
        }
        return;
    }
    if (x_ + pendingBlankWidth_ + w > opt_.sheet.printableWidthPt() + 1e-6) {
        ++diag_.clippedGlyphs;
        x_ += pendingBlankWidth_ + w;
        pendingBlanks_ = 0;
        pendingBlankWidth_ = 0;
        flushRun();
        return;
    }
    if (page_.glyphs >= opt_.maxGlyphsPerPage) {
        fail("page " + std::to_string(page_.number) + " holds more than " + std::to_string(opt_.maxGlyphsPerPage) +
             " characters printed over one another; this is not a page a printer could print");
        return;
    }
    if (run_.bytes.empty()) {
        run_.top = top_;
        run_.x = x_;
        run_.style = style_;
    } else if (pendingBlanks_ > 0) {
        run_.bytes.append(static_cast<std::size_t>(pendingBlanks_), ' ');
        x_ += pendingBlankWidth_;
    }
    pendingBlanks_ = 0;
    pendingBlankWidth_ = 0;
    run_.bytes.push_back(static_cast<char>(c));
    x_ += w;
    ++page_.glyphs;
}

void Parser::flushRun() {
    if (pendingBlanks_ > 0) {
        x_ += pendingBlankWidth_;
        pendingBlanks_ = 0;
        pendingBlankWidth_ = 0;
    }
    if (run_.bytes.empty()) return;
    if (page_.runs.size() >= opt_.maxRunsPerPage) {
        fail("page " + std::to_string(page_.number) + " holds more than " + std::to_string(opt_.maxRunsPerPage) +
             " separate pieces of text; this is not a page a printer could print");
        return;
    }
    page_.runs.push_back(std::move(run_));
    run_ = Run{};
}

void Parser::newLine() {
    flushRun();
    x_ = 0;
    feedPaper(kLineDots);
}

void Parser::feedPaper(int dots) {
    flushRun();
    top_ += dots;
    if (top_ + kLineDots > opt_.sheet.printableDots()) {
        // Past the foot of the sheet: the paper moves on to the next one.
        ++diag_.pageOverflows;
        endPage();
        top_ = 0;
    }
}

void Parser::endPage() {
    if (failed() || stopped_) return;
    if (page_.number > opt_.maxPages) {
        fail("the file makes more than " + std::to_string(opt_.maxPages) + " pages");
        return;
    }
    Page done = std::move(page_);
    page_ = Page{};
    page_.number = done.number + 1;
    ++pagesOut_;
    if (!sink_(std::move(done))) stopped_ = true;
}

void Parser::unknown(const std::string& what) {
    if (diag_.unknownCommands++ == 0) diag_.firstUnknown = what + " at byte " + std::to_string(cmdOffset_);
}

void Parser::fail(const std::string& why) {
    if (diag_.error.empty()) diag_.error = why;
}

std::vector<Page> parsePages(std::string_view bytes, const ParseOptions& options, Diagnostics* diagnostics) {
    std::vector<Page> pages;
    Parser p(options, [&pages](Page&& page) {
        pages.push_back(std::move(page));
        return true;
    });
    p.feed(bytes);
    p.finish();
    if (diagnostics) *diagnostics = p.diagnostics();
    return pages;
}

std::string describe(const Diagnostics& d) {
    std::vector<std::string> notes;
    if (!d.error.empty()) notes.push_back(d.error);
    if (d.unknownCommands)
        notes.push_back(std::to_string(d.unknownCommands) + " unknown printer command" +
                        (d.unknownCommands == 1 ? "" : "s") + " skipped (the first: " + d.firstUnknown + ")");
    if (d.ignoredControls)
        notes.push_back(std::to_string(d.ignoredControls) + " control byte" + (d.ignoredControls == 1 ? "" : "s") +
                        " ignored");
    if (d.clippedGlyphs)
        notes.push_back(std::to_string(d.clippedGlyphs) + " character" + (d.clippedGlyphs == 1 ? "" : "s") +
                        " beyond the right edge of the sheet left out");
    if (d.truncatedCommand) notes.push_back("the file ends inside a printer command");
    if (d.stoppedAtTop)
        notes.push_back(std::to_string(d.stoppedAtTop) + " reverse feed" + (d.stoppedAtTop == 1 ? "" : "s") +
                        " stopped at the top of the sheet (" + std::to_string(d.stoppedAtTopDots) +
                        "/216 inch not fed back; the first at byte " + std::to_string(d.firstStopAtTop) +
                        "): what follows prints lower than the file meant");
    if (d.pageOverflows)
        notes.push_back(std::to_string(d.pageOverflows) + " line" + (d.pageOverflows == 1 ? "" : "s") +
                        " ran past the foot of a sheet onto the next");
    std::string out;
    for (const std::string& n : notes) out += (out.empty() ? "" : "; ") + n;
    return out;
}

}  // namespace dprender
