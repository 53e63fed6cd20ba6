#include "common/whole_number.h"

#include <charconv>
#include <limits>

namespace qvr {

NotAWholeNumber::NotAWholeNumber(std::string_view text)
    : UserError("'" + std::string(text) + "' is not a valid integer value") {}

std::optional<std::int32_t> read_whole_number(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && text[i] == '-') {
        negative = true;
        ++i;
    }
    if (i == text.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        // The limit is one past INT32_MAX so that "-2147483648" still reads.
        if (value > static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1)
            return std::nullopt;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::int32_t strict_whole_number(std::string_view text) {
    const std::optional<std::int32_t> value = read_whole_number(text);
    if (!value) throw NotAWholeNumber(text);
    return *value;
}

std::int32_t whole_number_or_zero(std::string_view text) { return read_whole_number(text).value_or(0); }

std::string decimal_text(std::int64_t value) {
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

}  // namespace qvr
