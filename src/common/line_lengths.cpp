#include "common/line_lengths.h"

namespace qvr {

bool LineLengths::empty() const {
    if (!long_.empty()) return false;
    for (std::uint64_t n : counts_)
        if (n > 0) return false;
    return true;
}

LineLengths::Figure LineLengths::shortest() const {
    for (std::size_t n = 0; n < counts_.size(); ++n)
        if (counts_[n] > 0) return {n, counts_[n]};
    if (!long_.empty()) return {long_.begin()->first, long_.begin()->second};
    return {};
}

LineLengths::Figure LineLengths::longest() const {
    if (!long_.empty()) return {long_.rbegin()->first, long_.rbegin()->second};
    for (std::size_t n = counts_.size(); n-- > 0;)
        if (counts_[n] > 0) return {n, counts_[n]};
    return {};
}

LineLengths::Figure LineLengths::most_common() const {
    Figure common;
    for (std::size_t n = 0; n < counts_.size(); ++n)
        if (counts_[n] > common.lines) common = {n, counts_[n]};
    for (const auto& [length, lines] : long_)
        if (lines > common.lines) common = {length, lines};
    return common;
}

std::string LineLengths::text() const {
    if (empty()) return "";
    auto figure = [](Figure f) {
        return std::to_string(f.length) + " (" + std::to_string(f.lines) +
               (f.lines == 1 ? " line)" : " lines)");
    };
    return "Line length: shortest " + figure(shortest()) + ", longest " + figure(longest()) +
           ", most common " + figure(most_common());
}

}  // namespace qvr
