#pragma once
// Typed codes arrive as UTF-8 from the window and the command line; their lengths are counted in
// characters, as the technician typed them, not in bytes.
#include <cstddef>
#include <string_view>

namespace veltra {

// A UTF-8 lead byte with its continuation bytes is one character; any other byte (an ASCII
// character, or a stray byte that is not UTF-8) is one character of its own.
struct TypedCharacter {
    std::size_t at;      // byte offset
    std::size_t length;  // bytes
};

inline TypedCharacter NextTypedCharacter(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t want = 1;
    if (lead >= 0xF0) {
        want = 4;
    } else if (lead >= 0xE0) {
        want = 3;
    } else if (lead >= 0xC0) {
        want = 2;
    }
    std::size_t length = 1;
    while (length < want && at + length < text.size() &&
           (static_cast<unsigned char>(text[at + length]) & 0xC0) == 0x80) {
        ++length;
    }
    return {at, length};
}

inline std::size_t TypedLength(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size(); at += NextTypedCharacter(text, at).length) {
        ++count;
    }
    return count;
}

// The position (in characters) of the first character that takes more than one byte; npos when
// every character is a single byte.
inline std::size_t FirstWideCharacter(std::string_view text) {
    std::size_t index = 0;
    for (std::size_t at = 0; at < text.size(); ++index) {
        const TypedCharacter c = NextTypedCharacter(text, at);
        if (c.length > 1) {
            return index;
        }
        at += c.length;
    }
    return std::string_view::npos;
}

}  // namespace veltra
