#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/file_error.h"

namespace qvr {

/// A text that must be a whole number and is not; what() is "'<text>' is not a valid integer value".
class NotAWholeNumber : public UserError {
  public:
    explicit NotAWholeNumber(std::string_view text);
};

/// Reads `text` as a signed 32-bit decimal number: an optional minus sign and digits, nothing else.
/// Returns nothing for any other text, the empty text and numbers outside the 32-bit range.
std::optional<std::int32_t> read_whole_number(std::string_view text);

/// Reads `text` as read_whole_number() does where a wrong number would lay out a wrong table: any other
/// text, the empty text included, throws NotAWholeNumber instead of counting as 0.
std::int32_t strict_whole_number(std::string_view text);

/// The whole-number reading used for cells and boxes: any text that is not a whole number counts as 0.
std::int32_t whole_number_or_zero(std::string_view text);

/// The plain decimal text of a number: no leading zeros, no blanks, a minus sign when negative.
std::string decimal_text(std::int64_t value);

}  // namespace qvr
