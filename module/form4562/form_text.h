// The form file's text as bytes in memory: lines end with CR LF, and a column is reached by
// counting every byte written since the last CR LF, printer commands included.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

namespace dp {

class FormText {
public:
    void text(std::string_view s) {
        for (char c : s) put(c);
    }
    void put(char c) {
        bytes_.push_back(c);
        ++lineBytes_;
        if (c == '\n' && bytes_.size() >= 2 && bytes_[bytes_.size() - 2] == '\r') lineBytes_ = 0;
    }
    void byte(int b) { put(static_cast<char>(static_cast<unsigned char>(b))); }
    void repeat(int b, int n) {
        for (int i = 0; i < n; ++i) byte(b);
    }
    void blanks(int n) { repeat(' ', n); }
    void crlf(int n = 1) {
        for (int i = 0; i < n; ++i) text("\r\n");
    }
    // Blanks up to n - 1 bytes on the line; when more stand there, CR LF first and n - 1 blanks.
    void column(int n) {
        const std::size_t want = n > 1 ? static_cast<std::size_t>(n - 1) : 0;
        if (lineBytes_ > want) crlf();
        while (lineBytes_ < want) put(' ');
    }
    std::size_t lineBytes() const { return lineBytes_; }
    std::size_t size() const { return bytes_.size(); }
    const std::string& bytes() const { return bytes_; }
    std::string take() { lineBytes_ = 0; return std::move(bytes_); }

private:
    std::string bytes_;
    std::size_t lineBytes_ = 0;
};

}  // namespace dp
