#include "input/qt_view_text.h"

#include <array>
#include <string>
#include <vector>

#include "desktop/qt_line_view.h"
#include "input/column_ruler.h"
#include "input/view_chars.h"

namespace qvr {

const std::array<char16_t, 256>& view_char_table() {
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> t{};
        for (int b = 0; b < 256; ++b) t[b] = view_char(static_cast<unsigned char>(b));
        return t;
    }();
    return table;
}

namespace {

/// The lines of a line view seen as RulerLines. The ruler works from the last line up, so every index it
/// names is an index of the lines as they were; the edits are gathered and made in one pass at the end.
class GatheredLines : public RulerLines {
  public:
    explicit GatheredLines(const LineList& lines) : lines_(lines) {}

    std::size_t line_count() const override { return lines_.size(); }
    std::size_t longest_line() const override { return lines_.longest(); }
    void insert_block(std::size_t index, const RulerBlock& block) override {
        inserted_.push_back(index);
        block_.assign(block.begin(), block.end());
    }
    void erase_block(std::size_t index) override { erased_.push_back(index); }

    void apply(LineList& lines) const {
        if (!inserted_.empty()) lines.insert_before(inserted_, block_);
        if (!erased_.empty()) lines.erase_runs(erased_, kRulerBlockLines);
    }

  private:
    const LineList& lines_;
    std::vector<std::size_t> inserted_;
    std::vector<std::size_t> erased_;
    std::vector<std::string> block_;
};

}  // namespace

void set_view_ruler(LineView* box, bool on) {
    GatheredLines gathered(box->lines());
    if (on)
        insert_column_ruler(gathered);
    else
        remove_column_ruler(gathered);
    box->edit_lines([&gathered](LineList& lines) { gathered.apply(lines); });
}

}  // namespace qvr
