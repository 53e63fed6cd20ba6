#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace qvr {

/// How long the lines of a file are, counted by length as they are read: the figures a user checks a
/// layout by (the shortest line, the longest, the length most lines have).
class LineLengths {
  public:
    struct Figure {
        std::size_t length = 0;
        std::uint64_t lines = 0;
    };

    void add(std::size_t length) {
        if (length < kIndexed) {
            if (length >= counts_.size()) counts_.resize(length + 1);
            ++counts_[length];
        } else {
            ++long_[length];
        }
    }

    bool empty() const;
    Figure shortest() const;
    Figure longest() const;
    /// The length most lines have; the shortest of them on a tie.
    Figure most_common() const;

    /// "Line length: shortest 80 (3 lines), longest 120 (1 line), most common 80 (96 lines)"; empty when
    /// no line was counted.
    std::string text() const;

  private:
    /// Longer lines are counted in a map: a list indexed by length would grow with a file without line
    /// ends.
    static constexpr std::size_t kIndexed = 1 << 16;
    std::vector<std::uint64_t> counts_;
    std::map<std::size_t, std::uint64_t> long_;
};

}  // namespace qvr
