#pragma once

#include <cstdint>
#include <string_view>

namespace qvr {

/// The "MemAvailable" figure of a /proc/meminfo text, in bytes; nothing found gives the largest value,
/// so that an unknown figure never refuses a run.
std::uint64_t mem_available_of(std::string_view meminfo);

/// The memory the machine has available now (/proc/meminfo), in bytes.
std::uint64_t available_memory();

/// What the standard extract of an input of `input_size` bytes needs at its peak: the input held once
/// and a result of at most its size, with the line index and sort keys.
std::uint64_t memory_needed(std::uint64_t input_size);

}  // namespace qvr
