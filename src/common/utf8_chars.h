#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace qvr {

/// The bytes of the character that starts at `p` (p < end) in UTF-8 mode, where a column is a character:
/// 2 to 4 for a well-formed multi-byte character, 1 for an ASCII byte and for a byte that starts no
/// well-formed character (a stray byte counts one column and is kept as it is).
inline std::size_t utf8_char_size(const char* p, const char* end) {
    const auto b0 = static_cast<unsigned char>(*p);
    if (b0 < 0x80) return 1;
    std::size_t n = 0;
    unsigned char lo = 0x80;
    unsigned char hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        n = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        n = 3;
        // Overlong forms and the surrogates are not characters.
        if (b0 == 0xE0) lo = 0xA0;
        if (b0 == 0xED) hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        n = 4;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F;
    } else {
        return 1;
    }
    if (static_cast<std::size_t>(end - p) < n) return 1;
    const auto b1 = static_cast<unsigned char>(p[1]);
    if (b1 < lo || b1 > hi) return 1;
    for (std::size_t i = 2; i < n; ++i)
        if ((static_cast<unsigned char>(p[i]) & 0xC0) != 0x80) return 1;
    return n;
}

/// The code point of a character of `size` bytes (from utf8_char_size) at `p`; for a byte that starts no
/// character, -1 - the byte, so that the caller chooses how to show it.
inline long utf8_code_point(const char* p, std::size_t size) {
    const auto b0 = static_cast<unsigned char>(*p);
    if (size == 1) return b0 < 0x80 ? static_cast<long>(b0) : -1 - static_cast<long>(b0);
    long cp = b0 & (0x7F >> size);
    for (std::size_t i = 1; i < size; ++i) cp = (cp << 6) | (static_cast<unsigned char>(p[i]) & 0x3F);
    return cp;
}

/// True when a byte of `text` is 0x80 or above: only then can a character take more than one byte.
inline bool has_high_byte(std::string_view text) {
    const char* p = text.data();
    const char* const end = p + text.size();
    std::uint64_t any = 0;
    for (; end - p >= 8; p += 8) {
        std::uint64_t word;
        std::memcpy(&word, p, sizeof word);
        any |= word;
    }
    for (; p < end; ++p) any |= static_cast<unsigned char>(*p);
    return (any & 0x8080808080808080ull) != 0;
}

/// The columns of `text` in UTF-8 mode.
std::size_t utf8_columns(std::string_view text);

/// Writes the code point `cp` at `out` in UTF-16 (one unit, or two beyond 16 bits); returns the end.
inline char16_t* put_utf16(char32_t cp, char16_t* out) {
    if (cp < 0x10000) {
        *out++ = static_cast<char16_t>(cp);
        return out;
    }
    cp -= 0x10000;
    *out++ = static_cast<char16_t>(0xD800 + (cp >> 10));
    *out++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    return out;
}

/// Appends the code point `cp` to `out` in UTF-16.
void append_utf16(char32_t cp, std::u16string& out);

}  // namespace qvr
