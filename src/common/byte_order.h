#pragma once

#include <string_view>

namespace qvr {

/// Compares two texts byte by byte as unsigned values; where one is the start of the other, the shorter
/// comes first. Negative, zero or positive like memcmp. Bounds, contains texts and paths compare this way.
int compare_bytes(std::string_view a, std::string_view b);

}  // namespace qvr
