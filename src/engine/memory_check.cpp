#include "engine/memory_check.h"

#include <charconv>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

namespace qvr {

std::uint64_t memory_needed(std::uint64_t input_size) {
    // Input and result as one each, the index and keys of the lines as half as much again.
    if (input_size > std::numeric_limits<std::uint64_t>::max() / 3)
        return std::numeric_limits<std::uint64_t>::max();
    return input_size * 5 / 2;
}

}  // namespace qvr
