// A model of the character printer's sheet for the form file: CR LF advances one line
// (36/216 inch), ESC j n moves the paper back n/216 inch (never above the top edge of the sheet
// on a printer that stops there), and text prints where the paper stood when it was sent. Printer commands are skipped
// by their lengths.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace formtest {

struct Printed {
    int pos;            // 1/216 inch below the top of the page
    std::string text;   // the bytes of one run between commands and line ends, blanks trimmed
    std::size_t offset; // where the run starts in the file
};

struct Paper {
    bool stopsAtTop = true;  // false: a printer that feeds back above the top edge as asked
    int pos = 0;
    int highest = 0;   // the furthest it went forward
    int stoppedAtTop = 0;  // 1/216 inch of reverse feed that the top edge stopped
    std::vector<Printed> printed;
    std::string error;  // a byte sequence the model does not know

    // Feeds bytes[from, to) of the file.
    void feed(std::string_view bytes, std::size_t from, std::size_t to) {
        std::string run;
        std::size_t runStart = from;
        auto flush = [&]() {
            const std::size_t a = run.find_first_not_of(' ');
            if (a != std::string::npos) {
                const std::size_t b = run.find_last_not_of(' ');
                printed.push_back({pos, run.substr(a, b - a + 1), runStart + a});
            }
            run.clear();
        };
        auto move = [&](int by) {
            pos += by;
            if (pos < 0 && stopsAtTop) {
                stoppedAtTop -= pos;
                pos = 0;
            }
            if (pos > highest) highest = pos;
        };
        std::size_t i = from;
        while (i < to) {
            const unsigned char c = static_cast<unsigned char>(bytes[i]);
            if (c == 27) {
                flush();
                if (i + 1 >= to) { error = "ESC at the end"; return; }
                const unsigned char k = static_cast<unsigned char>(bytes[i + 1]);
                std::size_t len = 0;
                switch (k) {
                case 'j': len = 3; break;
                case 'X': len = 5; break;
                case 'p': case 'k': len = 3; break;
                case 'P': case 'E': case 'F': len = 2; break;
                case 34: {
                    const char sub = i + 2 < to ? bytes[i + 2] : 0;
                    len = sub == 'Q' ? 4 : sub == 'R' ? 6 : 3;
                    break;
                }
                default: error = "unknown command at " + std::to_string(i); return;
                }
                if (i + len > to) { error = "command cut short"; return; }
                if (k == 'j') move(-static_cast<unsigned char>(bytes[i + 2]));
                i += len;
                runStart = i;
            } else if (c == '\r' && i + 1 < to && bytes[i + 1] == '\n') {
                flush();
                move(36);
                i += 2;
                runStart = i;
            } else if (c < 32) {
                error = "control byte " + std::to_string(c) + " at " + std::to_string(i);
                return;
            } else {
                run.push_back(static_cast<char>(c));
                ++i;
            }
        }
        flush();
    }

    // The printed row (from 1) nearest to a position.
    static int row(int pos) { return (pos + 18) / 36 + 1; }

    // The first printed run equal to text at or after file offset `after`; nullptr when none.
    const Printed* find(std::string_view text, std::size_t after = 0) const {
        for (const Printed& p : printed)
            if (p.offset >= after && p.text == text) return &p;
        return nullptr;
    }
};

}  // namespace formtest
