#include "render/standard_font_pdf.h"

#include <cmath>
#include <cstdint>

#include "render/cp437.h"
#include "render/run_layout.h"

namespace dprender {
namespace {

constexpr int kCatalog = 1, kPageTree = 2, kFirstFree = 3;
constexpr double kCourierEm = 0.6;  // every Courier letter's advance

struct StandardFont {
    const char* name;
    const char* descriptor;  // the font descriptor's entries after its name
    bool proportional, bold;
};

// Metrics of the standard fonts as every PDF reader has them.
constexpr StandardFont kFonts[4] = {
    {"Courier", "/Flags 33 /FontBBox [-23 -250 715 805] /ItalicAngle 0 /Ascent 629 /Descent -157 /CapHeight 562 /StemV 51",
     false, false},
    {"Courier-Bold",
     "/Flags 33 /FontBBox [-113 -250 749 801] /ItalicAngle 0 /Ascent 629 /Descent -157 /CapHeight 562 /StemV 106", false,
     true},
    {"Helvetica",
     "/Flags 32 /FontBBox [-166 -225 1000 931] /ItalicAngle 0 /Ascent 718 /Descent -207 /CapHeight 718 /StemV 88", true,
     false},
    {"Helvetica-Bold",
     "/Flags 32 /FontBBox [-170 -228 1003 962] /ItalicAngle 0 /Ascent 718 /Descent -207 /CapHeight 718 /StemV 140",
     true, true},
};

int fontIndex(const Style& s) { return (s.proportional ? 2 : 0) + (s.bold ? 1 : 0); }

// A number as PDF writes it: at most three decimals, no exponent, whatever the locale says.
std::string num(double v) {
    long long milli = std::llround(v * 1000.0);
    std::string sign = milli < 0 ? "-" : "";
    if (milli < 0) milli = -milli;
    std::string text = sign + std::to_string(milli / 1000);
    if (const long long frac = milli % 1000; frac != 0) {
        std::string f = std::to_string(frac);
        f.insert(0, 3 - f.size(), '0');
        while (f.back() == '0') f.pop_back();
        text += "." + f;
    }
    return text == "-0" ? "0" : text;
}

std::string colour(std::uint32_t rgb, const char* op) {
    return num(((rgb >> 16) & 0xFF) / 255.0) + " " + num(((rgb >> 8) & 0xFF) / 255.0) + " " + num((rgb & 0xFF) / 255.0) +
           " " + op + "\n";
}

// A PDF literal string of the bytes: only printable ASCII as it is.
std::string literal(const std::string& bytes) {
    std::string out = "(";
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '(' || c == ')' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 32 || c > 126) {
            const char oct[5] = {'\\', static_cast<char>('0' + (c >> 6)), static_cast<char>('0' + ((c >> 3) & 7)),
                                 static_cast<char>('0' + (c & 7)), 0};
            out += oct;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + ")";
}

// The byte of a code page 437 character in the file's encoding ("?" for one it lacks).
unsigned char pdfByte(unsigned char c) {
    const unsigned char b = standardLatinByte(cp437ToUnicode(c));
    return b ? b : static_cast<unsigned char>('?');
}

// The advance of each byte of the file's encoding in a proportional face, in em: that of the
// code page 437 character it prints.
std::array<double, 256> encodedWidths(const std::array<float, 256>& cp437Widths) {
    std::array<double, 256> w{};
    w.fill(cp437Widths['?']);
    for (int c = 32; c < 256; ++c) {
        const unsigned char b = standardLatinByte(cp437ToUnicode(static_cast<unsigned char>(c)));
        if (b) w[b] = cp437Widths[static_cast<std::size_t>(c)];
    }
    return w;
}

// The operators of a page draw in points from the printer's page's corner (column 1 at the top of
// form), upwards as PDF counts: a line y points below the top of form is at -y.

// The text operators of one run: segments of letters, each placed where the layout puts its
// first letter; blanks between letters that fall on the pen's path are written as blanks.
class RunText {
public:
    RunText(const Style& s, const RunLayout& l, const std::array<double, 256>* em)
        : style_(s), layout_(l), em_(em), cell_(s.cellPt()) {}

    std::string operators() {
        std::string out = "BT\n/F" + std::to_string(fontIndex(style_) + 1) + " " + num(style_.points) + " Tf\n";
        if (style_.proportional) {
            out += "100 Tz 0 Tc\n";
        } else {
            out += num(layout_.scaleX * 100) + " Tz " + num(cell_ / layout_.scaleX - kCourierEm * style_.points) + " Tc\n";
        }
        if (style_.outline) {
            out += "2 Tr " + num(outlineWidth(style_.points)) + " w\n" + colour(0xFFFFFF, "rg") + colour(style_.ink, "RG");
        } else {
            out += "0 Tr\n" + colour(style_.ink, "rg");
        }
        const double y = -layout_.baseline;
        std::string segment;
        double pen = 0;
        for (const PlacedGlyph& g : layout_.glyphs) {
            const unsigned char b = pdfByte(g.c);
            if (segment.empty() || !blanksReach(segment, pen, g.x)) {
                flush(out, segment);
                out += "1 0 0 1 " + num(g.x) + " " + num(y) + " Tm\n";
                pen = g.x;
            }
            segment += static_cast<char>(b);
            pen += advance(b);
        }
        flush(out, segment);
        return out + "ET\n";
    }

private:
    double advance(unsigned char b) const { return style_.proportional ? (*em_)[b] * style_.points : cell_; }

    // Whether blanks written from `pen` bring the next letter to `x`; if so they are added.
    bool blanksReach(std::string& segment, double& pen, double x) const {
        const double gap = x - pen, blank = advance(' ');
        if (std::abs(gap) < 0.01) return true;
        if (blank <= 0 || gap < 0) return false;
        const long k = std::lround(gap / blank);
        if (k < 1 || k > 400 || std::abs(gap - static_cast<double>(k) * blank) > 0.01) return false;
        segment.append(static_cast<std::size_t>(k), ' ');
        pen += static_cast<double>(k) * blank;
        return true;
    }

    static void flush(std::string& out, std::string& segment) {
        if (segment.empty()) return;
        out += literal(segment) + " Tj\n";
        segment.clear();
    }

    const Style& style_;
    const RunLayout& layout_;
    const std::array<double, 256>* em_;
    double cell_;
};

std::string shapeOperators(const Style& s, const RunLayout& l) {
    std::string out = colour(shadedInk(s.ink, l.shapeDensity), "rg");
    for (const InkRect& r : l.shapes) out += num(r.x) + " " + num(-r.y - r.h) + " " + num(r.w) + " " + num(r.h) + " re\n";
    return out + "f\n";
}

// The printer's page's corner where the placement puts it on the paper, at its scale.
std::string placed(const Paper& paper, const Placement& at, const std::string& operators) {
    return "q " + num(at.scale) + " 0 0 " + num(at.scale) + " " + num(at.xPt) + " " + num(paper.heightPt - at.yPt) +
           " cm\n" + operators + "Q\n";
}

}  // namespace

unsigned char standardLatinByte(char32_t u) {
    if ((u >= 0x20 && u <= 0x7E) || (u >= 0xA0 && u <= 0xFF)) return static_cast<unsigned char>(u);
    switch (u) {
        case 0x20AC: return 0x80;
        case 0x0192: return 0x83;
        case 0x2026: return 0x85;
        case 0x2020: return 0x86;
        case 0x2021: return 0x87;
        case 0x2030: return 0x89;
        case 0x2018: return 0x91;
        case 0x2019: return 0x92;
        case 0x201C: return 0x93;
        case 0x201D: return 0x94;
        case 0x2022: return 0x95;
        case 0x2013: return 0x96;
        case 0x2014: return 0x97;
        case 0x2122: return 0x99;
        default: return 0;
    }
}

StandardFontPdf::StandardFontPdf(std::FILE* out, const FaceWidths& widths, const Paper& paper, const Placement& placement,
                                 const std::string& title)
    : out_(out), widths_(widths), paper_(paper), placement_(placement), offsets_(kFirstFree, 0) {
    put("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    writeFonts(title);
}

StandardFontPdf::~StandardFontPdf() {
    if (!closed_) close();
}

int StandardFontPdf::newObject() {
    offsets_.push_back(written_);
    return static_cast<int>(offsets_.size()) - 1;
}

void StandardFontPdf::put(const std::string& bytes) {
    if (!error_.empty() || bytes.empty()) return;
    if (std::fwrite(bytes.data(), 1, bytes.size(), out_) != bytes.size()) {
        error_ = "the PDF could not be written";
        return;
    }
    written_ += static_cast<long long>(bytes.size());
}

void StandardFontPdf::writeFonts(const std::string& title) {
    // Info, then each font's descriptor and dictionary: objects 3 to 11.
    put(std::to_string(newObject()) + " 0 obj\n<< /Title " + literal(title) + " /Creator (veldro-render) >>\nendobj\n");
    for (const StandardFont& f : kFonts) {
        const int descriptor = newObject();
        put(std::to_string(descriptor) + " 0 obj\n<< /Type /FontDescriptor /FontName /" + f.name + " " + f.descriptor +
            " >>\nendobj\n");
        std::string w;
        const std::array<double, 256> em = encodedWidths(f.bold ? widths_.bold : widths_.regular);
        for (int c = 32; c < 256; ++c)
            w += num(f.proportional ? em[static_cast<std::size_t>(c)] * 1000 : kCourierEm * 1000) + (c % 16 == 15 ? "\n" : " ");
        put(std::to_string(newObject()) + " 0 obj\n<< /Type /Font /Subtype /Type1 /BaseFont /" + f.name +
            " /Encoding /WinAnsiEncoding /FirstChar 32 /LastChar 255 /FontDescriptor " + std::to_string(descriptor) +
            " 0 R\n/Widths [" + w + "] >>\nendobj\n");
    }
}

bool StandardFontPdf::addPage(const Page& page) {
    if (closed_ || !error_.empty()) return false;
    const std::array<double, 256> em[2] = {encodedWidths(widths_.regular), encodedWidths(widths_.bold)};
    std::string content;
    for (const Run& run : page.runs) {
        const RunLayout layout = layoutRun(run, widths_, kCourierEm);
        if (!layout.shapes.empty()) content += shapeOperators(run.style, layout);
        if (!layout.glyphs.empty()) content += RunText(run.style, layout, &em[run.style.bold ? 1 : 0]).operators();
    }
    content = placed(paper_, placement_, content);
    const int stream = newObject();
    put(std::to_string(stream) + " 0 obj\n<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content +
        "endstream\nendobj\n");
    const int pageObject = newObject();
    // Fonts are objects 5, 7, 9 and 11 (each after its descriptor).
    put(std::to_string(pageObject) + " 0 obj\n<< /Type /Page /Parent " + std::to_string(kPageTree) +
        " 0 R /MediaBox [0 0 " + num(paper_.widthPt) + " " + num(paper_.heightPt) +
        "]\n/Resources << /Font << /F1 5 0 R /F2 7 0 R /F3 9 0 R /F4 11 0 R >> >> /Contents " + std::to_string(stream) +
        " 0 R >>\nendobj\n");
    pageObjects_.push_back(pageObject);
    return error_.empty();
}

bool StandardFontPdf::close() {
    if (closed_) return error_.empty();
    closed_ = true;
    std::string kids;
    for (int p : pageObjects_) kids += std::to_string(p) + " 0 R ";
    offsets_[kPageTree] = written_;
    put(std::to_string(kPageTree) + " 0 obj\n<< /Type /Pages /Kids [" + kids + "] /Count " +
        std::to_string(pageObjects_.size()) + " >>\nendobj\n");
    offsets_[kCatalog] = written_;
    put(std::to_string(kCatalog) + " 0 obj\n<< /Type /Catalog /Pages " + std::to_string(kPageTree) + " 0 R >>\nendobj\n");
    const long long xref = written_;
    std::string table = "xref\n0 " + std::to_string(offsets_.size()) + "\n0000000000 65535 f \n";
    for (std::size_t i = 1; i < offsets_.size(); ++i) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%010lld 00000 n \n", offsets_[i]);
        table += entry;
    }
    put(table + "trailer\n<< /Size " + std::to_string(offsets_.size()) + " /Root " + std::to_string(kCatalog) +
        " 0 R /Info 3 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n");
    if (error_.empty() && std::fflush(out_) != 0) error_ = "the PDF could not be written";
    return error_.empty();
}

}  // namespace dprender
