// The register's text is stored in code page 437, one byte a character; files for other programs
// are UTF-8. Both ways here, with what a stored field may not hold: control characters.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace veldro {

// Stored bytes as UTF-8. NUL bytes (padding of old files) read as blanks; other control bytes
// as the characters code page 437 shows for them.
std::string cp437ToUtf8(std::string_view bytes);
// The same, appended to out.
void appendUtf8Text(std::string& out, std::string_view bytes);

struct StoredText {
    std::string bytes;    // the code page 437 bytes
    std::string refusal;  // why the text cannot be stored ("" when it can)
    int characters = 0;   // characters read (before any refusal)
};

// UTF-8 text as stored bytes. Refused: bytes that are not UTF-8, control characters (tab and
// line ends included), and characters code page 437 has no place for.
StoredText utf8ToCp437(std::string_view text);

}  // namespace veldro
