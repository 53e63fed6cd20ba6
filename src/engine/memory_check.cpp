#include "engine/memory_check.h"

#include <algorithm>
#include <charconv>

namespace qvr {

std::uint64_t sort_memory_budget(std::uint64_t available) {
    constexpr std::uint64_t kFixed = std::uint64_t{32} << 20;
    // The input's block, a run's write buffer and the result's, held beside the lines.
    constexpr std::uint64_t kBuffers = std::uint64_t{3} << 20;
    const std::uint64_t left = available - std::min(available / 8, kFixed);
    return std::max(left - std::min(left, kBuffers), available / 4);
}

std::optional<std::uint64_t> read_memory_size(std::string_view text) {
    std::uint64_t n = 0;
    auto [end, err] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (err != std::errc() || end == text.data()) return std::nullopt;
    const std::string_view unit(end, static_cast<std::size_t>(text.data() + text.size() - end));
    int shift = 0;
    if (unit.size() == 1) {
        const std::string_view units = "KMGT";
        const std::size_t at = units.find(static_cast<char>(unit[0] & ~0x20));
        if (at == std::string_view::npos) return std::nullopt;
        shift = 10 * static_cast<int>(at + 1);
    } else if (!unit.empty()) {
        return std::nullopt;
    }
    if (n > (UINT64_MAX >> shift)) return std::nullopt;
    return n << shift;
}

std::uint64_t CappedMemory::available() const { return std::min(cap_, inner_.available()); }

}  // namespace qvr
