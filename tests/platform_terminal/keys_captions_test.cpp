// Key decoding and "&" mnemonics of the terminal backend.
#include <gtest/gtest.h>

#include <deque>

#include "../../platform/src/terminal_ui.h"

namespace {

using platform::term::Key;
using platform::term::KeyEvent;

struct DecodeCase {
    const char* name;
    std::vector<int> bytes;  // the first byte, then what follows within the escape delay
    KeyEvent expected;
    std::size_t consumed;    // bytes read in all
};

class DecodeInput : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeInput, TurnsBytesIntoKeys) {
    const DecodeCase& c = GetParam();
    std::deque<int> rest(c.bytes.begin() + 1, c.bytes.end());
    std::size_t read = 1;
    const KeyEvent k = platform::term::decodeInput(c.bytes.front(), [&] {
        if (rest.empty()) return -1;
        const int b = rest.front();
        rest.pop_front();
        ++read;
        return b;
    });
    EXPECT_EQ(k.key, c.expected.key) << c.name;
    EXPECT_EQ(k.ch, c.expected.ch) << c.name;
    EXPECT_EQ(read, c.consumed) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, DecodeInput,
    ::testing::Values(
        DecodeCase{"lone Esc is the close box", {27}, {Key::Esc, 0}, 1},
        DecodeCase{"Esc Esc", {27, 27}, {Key::Esc, 0}, 2},
        DecodeCase{"Esc x is Alt+x", {27, 'x'}, {Key::Alt, 'x'}, 2},
        DecodeCase{"Alt with shift gives the lower-case letter", {27, 'X'}, {Key::Alt, 'x'}, 2},
        DecodeCase{"Alt+digit", {27, '4'}, {Key::Alt, '4'}, 2},
        DecodeCase{"CSI arrow up", {27, '[', 'A'}, {Key::Up, 0}, 3},
        DecodeCase{"CSI back tab", {27, '[', 'Z'}, {Key::BackTab, 0}, 3},
        DecodeCase{"SS3 home", {27, 'O', 'H'}, {Key::Home, 0}, 3},
        DecodeCase{"CSI delete", {27, '[', '3', '~'}, {Key::Delete, 0}, 4},
        DecodeCase{"CSI page down", {27, '[', '6', '~'}, {Key::PageDown, 0}, 4},
        DecodeCase{"CSI F10", {27, '[', '2', '1', '~'}, {Key::F10, 0}, 5},
        DecodeCase{"SS3 F1", {27, 'O', 'P'}, {Key::F1, 0}, 3},
        DecodeCase{"CSI F1 (rxvt)", {27, '[', '1', '1', '~'}, {Key::F1, 0}, 5},
        DecodeCase{"Linux console F1", {27, '[', '[', 'A'}, {Key::F1, 0}, 4},
        DecodeCase{"CSI P is no key", {27, '[', 'P'}, {Key::Other, 0}, 3},
        DecodeCase{"CSI with modifier", {27, '[', '1', ';', '5', '~'}, {Key::Home, 0}, 6},
        DecodeCase{"Alt+[ alone", {27, '['}, {Key::Alt, '['}, 2},
        DecodeCase{"eighth-bit meta x", {0x80 | 'x'}, {Key::Alt, 'x'}, 1},
        DecodeCase{"meta as UTF-8 (U+00F8)", {0xC3, 0xB8}, {Key::Alt, 'x'}, 2},
        DecodeCase{"meta A as UTF-8 (U+00C1)", {0xC3, 0x81}, {Key::Alt, 'a'}, 2},
        DecodeCase{"other UTF-8 is no key", {0xE2, 0x82, 0xAC}, {Key::Other, 0}, 3},
        DecodeCase{"tab", {'\t'}, {Key::Tab, 0}, 1},
        DecodeCase{"carriage return", {'\r'}, {Key::Enter, 0}, 1},
        DecodeCase{"line feed", {'\n'}, {Key::Enter, 0}, 1},
        DecodeCase{"DEL is backspace", {127}, {Key::Backspace, 0}, 1},
        DecodeCase{"BS is backspace", {8}, {Key::Backspace, 0}, 1},
        DecodeCase{"printable", {'a'}, {Key::Char, 'a'}, 1},
        DecodeCase{"blank", {' '}, {Key::Char, ' '}, 1},
        DecodeCase{"control character", {1}, {Key::Other, 0}, 1}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

TEST(Captions, AmpersandMarksTheMnemonic) {
    struct Case {
        const char* raw;
        const char* text;
        int accel;
        char letter;
    } cases[] = {
        {"E&xit Depreciation", "Exit Depreciation", 1, 'x'},
        {"&Asset File Maintenance", "Asset File Maintenance", 0, 'a'},
        {"Print &Form 4562 page 1", "Print Form 4562 page 1", 6, 'f'},
        {"OK", "OK", -1, 0},
        {"Save && Exit", "Save & Exit", -1, 0},
        {"A&&B&c", "A&Bc", 3, 'c'},
        {"Trailing&", "Trailing", -1, 0},
        {"&One &Two", "One Two", 0, 'o'},
        {"", "", -1, 0},
        {"& blank", " blank", 0, 0},
    };
    for (const Case& c : cases) {
        const platform::term::Caption cap = platform::term::parseCaption(c.raw);
        EXPECT_EQ(cap.text, c.text) << c.raw;
        EXPECT_EQ(cap.accel, c.accel) << c.raw;
        EXPECT_EQ(platform::term::mnemonic(c.raw), c.letter) << c.raw;
    }
}

}  // namespace
