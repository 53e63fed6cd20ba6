#include "input/column_ruler.h"

#include <algorithm>
#include <utility>

namespace qvr {

namespace {

constexpr std::size_t kBlockWidth = 10;
constexpr std::size_t kRulerGroup = kRulerSpacing + kRulerBlockLines;

/// A list of lines seen as RulerLines.
class ListLines : public RulerLines {
  public:
    explicit ListLines(std::vector<std::string>& lines) : lines_(lines) {}

    std::size_t line_count() const override { return lines_.size(); }
    std::size_t longest_line() const override {
        std::size_t longest = 0;
        for (const std::string& line : lines_) longest = std::max(longest, line.size());
        return longest;
    }
    void insert_block(std::size_t index, const RulerBlock& block) override {
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index), block.begin(), block.end());
    }
    void erase_block(std::size_t index) override {
        const std::size_t end = std::min(lines_.size(), index + kRulerBlockLines);
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(index),
                     lines_.begin() + static_cast<std::ptrdiff_t>(end));
    }

  private:
    std::vector<std::string>& lines_;
};

/// Every multiple of `step` below `count`, from the greatest down to 0.
template <class Visit>
void each_multiple_downwards(std::size_t count, std::size_t step, Visit visit) {
    if (count == 0) return;
    for (std::size_t i = (count - 1) / step * step;; i -= step) {
        visit(i);
        if (i == 0) break;
    }
}

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

RulerBlock ruler_block(std::size_t longest) {
    std::string dashes(longest, '-');
    std::string tens = ruler_tens_line(longest);
    std::string units;
    units.reserve(tens.size());
    while (units.size() < tens.size()) units += "1234567890";
    return {dashes, std::move(tens), std::move(units), dashes};
}

void insert_column_ruler(RulerLines& view) {
    const std::size_t count = view.line_count();
    if (count == 0) return;
    const RulerBlock block = ruler_block(view.longest_line());
    each_multiple_downwards(count, kRulerSpacing, [&](std::size_t i) { view.insert_block(i, block); });
}

void remove_column_ruler(RulerLines& view) {
    each_multiple_downwards(view.line_count(), kRulerGroup, [&](std::size_t i) { view.erase_block(i); });
}

void insert_column_ruler(std::vector<std::string>& lines) {
    ListLines view(lines);
    insert_column_ruler(view);
}

void remove_column_ruler(std::vector<std::string>& lines) {
    ListLines view(lines);
    remove_column_ruler(view);
}

}  // namespace qvr
