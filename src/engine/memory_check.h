#pragma once

#include <cstdint>

#include "common/available_memory.h"

namespace qvr {

/// What the standard extract of an input of `input_size` bytes needs at its peak. Sorted (or without
/// duplicates): the input held once and a result of at most its size, with the line index and sort keys.
/// In input order the lines go straight to the result file, so the input held once is nearly all.
std::uint64_t memory_needed(std::uint64_t input_size, bool sorted);

/// An input whose memory_needed() is at most `available`, within a few bytes of the largest: how far a stream
/// of untold size (standard input) may grow.
std::uint64_t largest_input(std::uint64_t available, bool sorted);

}  // namespace qvr
