#pragma once

#include <cstdint>

namespace qvr {

/// How many bytes of memory the program can still take without the system running out: what the
/// system reports as available, lowered to what a memory limit of the program's control group leaves.
/// Filling the input view asks this first, because on this platform running out of memory kills the
/// process instead of failing an allocation. The largest value when the system does not tell.
std::uint64_t available_memory_bytes();

}  // namespace qvr
