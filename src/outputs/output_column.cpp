#include "outputs/output_column.h"

#include <algorithm>
#include <array>

#include "common/char_map.h"
#include "common/file_error.h"
#include "common/utf8_chars.h"

namespace qvr {

bool stored_as_number(const OutputColumn& column, int exact_digits) {
    if (column.kind != ColumnKind::integer && column.kind != ColumnKind::decimal) return false;
    return column.precision > 0 && column.precision <= exact_digits;
}

int significant_digits(std::string_view value) {
    std::size_t i = !value.empty() && value[0] == '-' ? 1 : 0;
    int digits = 0;
    bool seen_point = false;
    bool any = false;
    for (; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '.' && !seen_point) {
            seen_point = true;
            continue;
        }
        if (c < '0' || c > '9') return -1;
        any = true;
        if (digits == 0 && c == '0') continue;
        ++digits;
    }
    if (!any || value.back() == '.') return -1;
    return digits;
}

namespace {

/// Writes `cp` (below 0x10000) at `out` in UTF-8; returns the end.
char* put_utf8(char32_t cp, char* out) {
    if (cp < 0x80) {
        *out++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out++ = static_cast<char>(0xC0 | (cp >> 6));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out++ = static_cast<char>(0xE0 | (cp >> 12));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

}  // namespace

std::string_view Utf8Values::operator()(std::string_view value) {
    if (!has_high_byte(value)) return value;
    const char* p = value.data();
    const char* const end = p + value.size();
    const char* q = p;
    // Valid UTF-8, the usual case, is handed on as it is.
    if (encoding_ == TextEncoding::utf8) {
        while (q < end && !(static_cast<unsigned char>(*q) >= 0x80 && utf8_char_size(q, end) == 1))
            q += utf8_char_size(q, end);
        if (q == end) return value;
    }
    // A character takes at most three bytes here, a Windows-1252 byte or U+FFFD alike.
    if (room_.size() < value.size() * 3) room_.resize(value.size() * 3);
    char* out = room_.data();
    if (encoding_ == TextEncoding::cp1252) {
        // The upper half's characters in UTF-8, made once: a workbook's texts pass here byte by byte.
        static const auto kUpper = [] {
            std::array<std::array<char, 4>, 128> table{};
            for (int b = 0; b < 128; ++b) {
                char* const end =
                    put_utf8(byte_to_char(static_cast<unsigned char>(0x80 + b)), table[b].data());
                table[b][3] = static_cast<char>(end - table[b].data());
            }
            return table;
        }();
        for (; p < end; ++p) {
            const auto byte = static_cast<unsigned char>(*p);
            if (byte < 0x80) {
                *out++ = *p;
                continue;
            }
            const std::array<char, 4>& utf8 = kUpper[byte - 0x80];
            std::copy_n(utf8.data(), 3, out);
            out += utf8[3];
        }
        return {room_.data(), static_cast<std::size_t>(out - room_.data())};
    }
    out = std::copy(p, q, out);
    while (q < end) {
        const std::size_t n = utf8_char_size(q, end);
        if (n == 1 && static_cast<unsigned char>(*q) >= 0x80) {
            out = put_utf8(0xFFFD, out);
            ++replaced_;
        } else {
            out = std::copy(q, q + n, out);
        }
        q += n;
    }
    return {room_.data(), static_cast<std::size_t>(out - room_.data())};
}

namespace {

[[noreturn]] void refuse_value(const OutputColumn& column, std::uint64_t row, std::string_view value,
                               std::string_view expected) {
    throw UserError(column.name + " (row " + std::to_string(row) + "): '" + with_escaped_controls(value) +
                    "' is not " + std::string(expected));
}

}  // namespace

int checked_number_digits(const OutputColumn& column, std::uint64_t row, std::string_view value) {
    const bool integer = column.kind == ColumnKind::integer;
    const int digits = significant_digits(value);
    if (digits < 0 || (integer && value.find('.') != value.npos))
        refuse_value(column, row, value, integer ? "an integer" : "a decimal number");
    return digits;
}

IsoDate checked_iso_date(const OutputColumn& column, std::uint64_t row, std::string_view value) {
    IsoDate date;
    bool digits = value.size() == 10 && value[4] == '-' && value[7] == '-';
    for (std::size_t i = 0; digits && i < value.size(); ++i) {
        if (i == 4 || i == 7) continue;
        digits = value[i] >= '0' && value[i] <= '9';
        int& part = i < 4 ? date.year : i < 7 ? date.month : date.day;
        part = part * 10 + (value[i] - '0');
    }
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (date.year % 4 == 0 && date.year % 100 != 0) || date.year % 400 == 0;
    if (!digits || date.month < 1 || date.month > 12 || date.day < 1 ||
        date.day > kDays[date.month - 1] + (date.month == 2 && leap))
        refuse_value(column, row, value, "a date (YYYY-MM-DD)");
    return date;
}

}  // namespace qvr
