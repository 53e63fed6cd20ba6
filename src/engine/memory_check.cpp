#include "engine/memory_check.h"

#include <limits>

namespace qvr {

std::uint64_t memory_needed(std::uint64_t input_size, bool sorted) {
    if (input_size > std::numeric_limits<std::uint64_t>::max() / 3)
        return std::numeric_limits<std::uint64_t>::max();
    // Sorted: input and result as one each, the index and keys of the lines as half as much again.
    // In input order: the input, and a quarter more for the write buffer and what the system adds.
    return sorted ? input_size * 5 / 2 : input_size + input_size / 4;
}

std::uint64_t largest_input(std::uint64_t available, bool sorted) {
    return sorted ? available / 5 * 2 : available / 5 * 4;
}

}  // namespace qvr
