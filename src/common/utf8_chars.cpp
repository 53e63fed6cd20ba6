#include "common/utf8_chars.h"

namespace qvr {

std::size_t utf8_columns(std::string_view text) {
    const char* p = text.data();
    const char* const end = p + text.size();
    std::size_t columns = 0;
    for (; p < end; ++columns) p += utf8_char_size(p, end);
    return columns;
}

void append_utf16(char32_t cp, std::u16string& out) {
    char16_t units[2];
    out.append(units, put_utf16(cp, units));
}

}  // namespace qvr
