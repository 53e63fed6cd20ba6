#include "common/utf8_chars.h"

namespace qvr {

std::size_t utf8_columns(std::string_view text) {
    const char* p = text.data();
    const char* const end = p + text.size();
    std::size_t columns = 0;
    for (; p < end; ++columns) p += utf8_char_size(p, end);
    return columns;
}

std::string_view utf8_column_slice(std::string_view text, std::size_t first, std::size_t count) {
    const char* p = text.data();
    const char* const end = p + text.size();
    for (; p < end && first > 0; --first) p += utf8_char_size(p, end);
    const char* stop = p;
    for (; stop < end && count > 0; --count) stop += utf8_char_size(stop, end);
    return {p, static_cast<std::size_t>(stop - p)};
}

void append_utf16(char32_t cp, std::u16string& out) {
    char16_t units[2];
    out.append(units, put_utf16(cp, units));
}

}  // namespace qvr
