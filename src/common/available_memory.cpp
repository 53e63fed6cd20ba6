#include "common/available_memory.h"

#include <charconv>
#include <limits>

#include "common/memory_limits.h"

namespace qvr {

namespace {

constexpr std::uint64_t kUnknown = std::numeric_limits<std::uint64_t>::max();

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

std::uint64_t available_memory() { return memory_left_under(""); }

}  // namespace qvr
