#pragma once

#include <cstdint>
#include <stdexcept>
#include <string_view>

namespace qvr {

/// A cell that must hold a whole number and does not; what() is "'<text>' is not a valid integer value",
/// ready for the general error box.
class NotAWholeNumber : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

/// Reads `text` as a signed 32-bit whole number where a wrong number would lay out a wrong table: any other
/// text, the empty text included, throws NotAWholeNumber instead of counting as 0.
std::int32_t strict_whole_number(std::string_view text);

}  // namespace qvr
