#include "common/available_memory.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

namespace qvr {

namespace {

constexpr std::uint64_t kUnknown = std::numeric_limits<std::uint64_t>::max();

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

std::uint64_t mem_available_of(std::string_view meminfo) {
    constexpr std::string_view kLabel = "MemAvailable:";
    std::size_t at = meminfo.find(kLabel);
    if (at == std::string_view::npos) return kUnknown;
    std::size_t p = at + kLabel.size();
    while (p < meminfo.size() && meminfo[p] == ' ') ++p;
    std::uint64_t kib = 0;
    auto [end, err] = std::from_chars(meminfo.data() + p, meminfo.data() + meminfo.size(), kib);
    if (err != std::errc() || end == meminfo.data() + p) return kUnknown;
    if (kib > kUnknown / 1024) return kUnknown;
    return kib * 1024;
}

const MemoryProbe& MemoryProbe::machine() {
    static const MemoryProbe probe;
    return probe;
}

std::uint64_t available_memory() {
    std::ifstream in("/proc/meminfo");
    std::ostringstream text;
    text << in.rdbuf();
    return std::min(mem_available_of(text.str()), cgroup_available());
}

}  // namespace qvr
