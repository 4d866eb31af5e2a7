#include "format/text.h"

#include <cctype>

namespace dp {

std::string fixedText(std::string_view text, std::size_t width) {
    std::string s(text.substr(0, width));
    s.resize(width, ' ');
    return s;
}

std::string upperCase(std::string_view text) {
    std::string s(text);
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string trimRight(std::string_view text) {
    std::size_t n = text.size();
    while (n > 0 && text[n - 1] == ' ') --n;
    return std::string(text.substr(0, n));
}

std::string nulsToBlanks(std::string text) {
    for (char& c : text)
        if (c == '\0') c = ' ';
    return text;
}

std::string controlsToBlanks(std::string text) {
    for (char& c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte == 127) c = ' ';
    }
    return text;
}

std::string trimBoth(std::string_view text) {
    std::size_t b = 0;
    while (b < text.size() && text[b] == ' ') ++b;
    return trimRight(text.substr(b));
}

std::string slashedDate(std::string_view date) {
    auto part = [date](std::size_t from, std::size_t n) {
        return from < date.size() ? date.substr(from, n) : std::string_view();
    };
    const std::string_view last = date.size() >= 2 ? date.substr(date.size() - 2) : date;
    std::string out;
    out.reserve(8);
    out.append(part(0, 2)).append("/").append(part(2, 2)).append("/").append(last);
    return out;
}

}  // namespace dp
