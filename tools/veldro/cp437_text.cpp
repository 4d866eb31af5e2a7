#include "cp437_text.h"

#include <array>
#include <cstdint>
#include <map>

#include "render/cp437.h"

namespace veldro {
namespace {

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The printable characters above ASCII and the byte that holds each.
const std::map<char32_t, unsigned char>& highBytes() {
    static const std::map<char32_t, unsigned char> table = [] {
        std::map<char32_t, unsigned char> t;
        for (int b = 128; b < 256; ++b) t.emplace(dprender::cp437ToUnicode(static_cast<unsigned char>(b)), static_cast<unsigned char>(b));
        return t;
    }();
    return table;
}

// The next character of UTF-8 text at i (advanced past it); false for bytes that are not UTF-8
// (an overlong form, a surrogate or a value past U+10FFFF included).
bool nextCharacter(std::string_view t, std::size_t& i, char32_t& c) {
    const auto b = static_cast<unsigned char>(t[i]);
    int more = 0;
    if (b < 0x80) c = b;
    else if ((b & 0xE0) == 0xC0) c = b & 0x1F, more = 1;
    else if ((b & 0xF0) == 0xE0) c = b & 0x0F, more = 2;
    else if ((b & 0xF8) == 0xF0) c = b & 0x07, more = 3;
    else return false;
    if (i + static_cast<std::size_t>(more) >= t.size() && more > 0) return false;
    for (int k = 1; k <= more; ++k) {
        const auto n = static_cast<unsigned char>(t[i + static_cast<std::size_t>(k)]);
        if ((n & 0xC0) != 0x80) return false;
        c = (c << 6) | (n & 0x3F);
    }
    static constexpr std::array<char32_t, 4> kSmallest = {0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[static_cast<std::size_t>(more)] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    i += static_cast<std::size_t>(more) + 1;
    return true;
}

std::string codePoint(char32_t c) {
    static const char* const hex = "0123456789ABCDEF";
    std::string s;
    for (int shift = c > 0xFFFF ? 20 : 12; shift >= 0; shift -= 4) s += hex[(c >> shift) & 0xF];
    return "U+" + s;
}

bool isControl(char32_t c) { return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0); }

// The UTF-8 form of every byte, made once.
const std::array<std::string, 256>& utf8OfBytes() {
    static const std::array<std::string, 256> table = [] {
        std::array<std::string, 256> t;
        for (int b = 0; b < 256; ++b) appendUtf8(t[static_cast<std::size_t>(b)], b == 0 ? U' ' : dprender::cp437ToUnicode(static_cast<unsigned char>(b)));
        return t;
    }();
    return table;
}

}  // namespace

void appendUtf8Text(std::string& out, std::string_view bytes) {
    const std::array<std::string, 256>& utf8 = utf8OfBytes();
    std::size_t plain = 0;  // the start of the run of printable ASCII not yet appended
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b >= 0x20 && b < 0x7F) continue;
        out.append(bytes.substr(plain, i - plain)).append(utf8[b]);
        plain = i + 1;
    }
    out.append(bytes.substr(plain));
}

std::string cp437ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    appendUtf8Text(out, bytes);
    return out;
}

StoredText utf8ToCp437(std::string_view text) {
    StoredText out;
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = 0;
        const std::size_t at = i;
        if (!nextCharacter(text, i, c)) {
            out.refusal = "the text is not UTF-8 (save the file as UTF-8)";
            return out;
        }
        if (isControl(c)) {
            out.refusal = c == '\t' ? "holds a tab" : c == '\n' || c == '\r' ? "holds a line break" : "holds the control character " + codePoint(c);
            return out;
        }
        ++out.characters;
        if (c < 0x80) {
            out.bytes += static_cast<char>(c);
            continue;
        }
        const auto found = highBytes().find(c);
        if (found == highBytes().end()) {
            out.refusal = "holds \"" + std::string(text.substr(at, i - at)) + "\" (" + codePoint(c) +
                          "), which the register's character set (code page 437) does not have";
            return out;
        }
        out.bytes += static_cast<char>(found->second);
    }
    return out;
}

}  // namespace veldro
