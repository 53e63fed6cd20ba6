#include "dbase/strict_number.h"

#include <string>

#include "common/whole_number.h"

namespace qvr {

std::int32_t strict_whole_number(std::string_view text) {
    std::optional<std::int32_t> value = read_whole_number(text);
    if (!value) throw NotAWholeNumber("'" + std::string(text) + "' is not a valid integer value");
    return *value;
}

}  // namespace qvr
