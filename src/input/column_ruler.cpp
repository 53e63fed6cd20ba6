#include "input/column_ruler.h"

#include <algorithm>
#include <utility>

namespace qvr {

namespace {
constexpr std::size_t kBlockWidth = 10;
constexpr std::size_t kRulerGroup = kRulerSpacing + kRulerBlockLines;
}  // namespace

std::string ruler_tens_line(std::size_t longest) {
    std::string tens;
    for (std::size_t k = 1; tens.size() < longest; ++k) {
        // The number is appended to a block of blanks and as many characters are cut from its start, which
        // right-aligns it; the first block carries the ruler's name instead of blanks.
        std::string block = k == 1 ? std::string(" (rule)   ") : std::string(kBlockWidth, ' ');
        const std::string digits = std::to_string(k);
        block += digits;
        block.erase(0, digits.size());
        tens += block;
    }
    return tens;
}

std::array<std::string, kRulerBlockLines> ruler_block(std::size_t longest) {
    std::string dashes(longest, '-');
    std::string tens = ruler_tens_line(longest);
    std::string units;
    units.reserve(tens.size());
    while (units.size() < tens.size()) units += "1234567890";
    return {dashes, std::move(tens), std::move(units), dashes};
}

void insert_column_ruler(std::vector<std::string>& lines) {
    if (lines.empty()) return;
    std::size_t longest = 0;
    for (const std::string& line : lines) longest = std::max(longest, line.size());
    const auto block = ruler_block(longest);
    const std::size_t blocks = (lines.size() + kRulerSpacing - 1) / kRulerSpacing;
    // Built into a new list in one pass: inserting into the old one would move every later line once per
    // block.
    std::vector<std::string> ruled;
    ruled.reserve(lines.size() + blocks * kRulerBlockLines);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i % kRulerSpacing == 0) ruled.insert(ruled.end(), block.begin(), block.end());
        ruled.push_back(std::move(lines[i]));
    }
    lines = std::move(ruled);
}

void remove_column_ruler(std::vector<std::string>& lines) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (i % kRulerGroup >= kRulerBlockLines) lines[kept++] = std::move(lines[i]);
    lines.resize(kept);
}

}  // namespace qvr
