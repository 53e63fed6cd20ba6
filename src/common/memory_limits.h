#pragma once

#include <cstdint>
#include <string>

namespace qvr {

/// What the memory limits of this process's own control group, and of every group above it, still
/// leave: the smallest limit minus usage, from /proc/self/cgroup and the cgroup files (version 1
/// "memory.limit_in_bytes"/"memory.usage_in_bytes", version 2 "memory.max"/"memory.current"). The
/// largest value when no limit is set. `root` is "" for the system; tests give a folder holding a fake
/// "proc" and "sys" tree.
std::uint64_t cgroup_memory_left(const std::string& root);

/// The smaller of the system's available memory (root + "/proc/meminfo") and cgroup_memory_left().
std::uint64_t memory_left_under(const std::string& root);

}  // namespace qvr
