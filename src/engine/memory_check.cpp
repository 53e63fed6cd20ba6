#include "engine/memory_check.h"

#include <charconv>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

namespace qvr {

std::uint64_t mem_available_of(std::string_view meminfo) {
    constexpr std::string_view kLabel = "MemAvailable:";
    std::size_t at = meminfo.find(kLabel);
    if (at == std::string_view::npos) return std::numeric_limits<std::uint64_t>::max();
    std::size_t p = at + kLabel.size();
    while (p < meminfo.size() && meminfo[p] == ' ') ++p;
    std::uint64_t kib = 0;
    auto [end, err] = std::from_chars(meminfo.data() + p, meminfo.data() + meminfo.size(), kib);
    if (err != std::errc() || end == meminfo.data() + p) return std::numeric_limits<std::uint64_t>::max();
    if (kib > std::numeric_limits<std::uint64_t>::max() / 1024)
        return std::numeric_limits<std::uint64_t>::max();
    return kib * 1024;
}

std::uint64_t available_memory() {
    std::ifstream in("/proc/meminfo");
    std::ostringstream text;
    text << in.rdbuf();
    return mem_available_of(text.str());
}

std::uint64_t memory_needed(std::uint64_t input_size) {
    // Input and result as one each, the index and keys of the lines as half as much again.
    if (input_size > std::numeric_limits<std::uint64_t>::max() / 3)
        return std::numeric_limits<std::uint64_t>::max();
    return input_size * 5 / 2;
}

}  // namespace qvr
