#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qvr {

/// Reads `text` as a signed 32-bit decimal number: an optional minus sign and digits, nothing else.
/// Returns nothing for any other text, the empty text and numbers outside the 32-bit range.
std::optional<std::int32_t> read_whole_number(std::string_view text);

/// The whole-number reading used for cells and boxes: any text that is not a whole number counts as 0.
std::int32_t whole_number_or_zero(std::string_view text);

/// The plain decimal text of a number: no leading zeros, no blanks, a minus sign when negative.
std::string decimal_text(std::int64_t value);

}  // namespace qvr
