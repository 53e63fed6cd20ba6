#include "input/available_memory.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <string>

namespace qvr {

namespace {

constexpr std::uint64_t kUnknown = std::numeric_limits<std::uint64_t>::max();

/// The "MemAvailable" figure of /proc/meminfo, in bytes.
std::uint64_t system_available() {
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    std::uint64_t kib = 0;
    std::string unit;
    while (meminfo >> key >> kib >> unit)
        if (key == "MemAvailable:") return kib * 1024;
    return kUnknown;
}

/// A number read from a file of the control group; nothing for "max" or a missing file.
std::uint64_t cgroup_value(const char* path) {
    std::ifstream in(path);
    std::uint64_t value = 0;
    if (in >> value) return value;
    return kUnknown;
}

/// What the memory limit of the control group (version 2) still leaves.
std::uint64_t cgroup_available() {
    const std::uint64_t limit = cgroup_value("/sys/fs/cgroup/memory.max");
    const std::uint64_t used = cgroup_value("/sys/fs/cgroup/memory.current");
    if (limit == kUnknown || used == kUnknown) return kUnknown;
    return used < limit ? limit - used : 0;
}

}  // namespace

std::uint64_t available_memory_bytes() { return std::min(system_available(), cgroup_available()); }

}  // namespace qvr
