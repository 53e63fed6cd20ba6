#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace qvr {

/// A ruler block stands before every 20th line of the input view, so a column number is never far away.
inline constexpr std::size_t kRulerSpacing = 20;

/// A ruler block is a dash line, a tens line, a units line and a dash line again.
inline constexpr std::size_t kRulerBlockLines = 4;

/// The four lines of a ruler block.
using RulerBlock = std::array<std::string, kRulerBlockLines>;

/// The tens line for a longest line of `longest` characters, built block by block until it reaches
/// `longest`: block 1 is "(rule)   1", block k the number k right-aligned in 10 characters, so that
/// column 10 x k holds the last digit of k.
std::string ruler_tens_line(std::size_t longest);

/// The ruler block for a longest line of `longest` characters; the dash lines are exactly `longest` long,
/// the tens and units lines `longest` rounded up to a multiple of 10.
RulerBlock ruler_block(std::size_t longest);

/// The lines of a view as the ruler edits them: in place, a few lines at a time, so that a text box with
/// a large file is changed where the ruler goes instead of being rebuilt whole.
class RulerLines {
  public:
    virtual ~RulerLines() = default;
    virtual std::size_t line_count() const = 0;
    virtual std::size_t longest_line() const = 0;
    /// Inserts the block's lines before line `index`.
    virtual void insert_block(std::size_t index, const RulerBlock& block) = 0;
    /// Deletes the lines `index` to `index` + 3, as many of them as there are.
    virtual void erase_block(std::size_t index) = 0;
};

/// Puts a ruler block before lines 0, 20, 40 ... of the view, sized to its longest line, working from the
/// last line up so that the lines still to be visited keep their numbers. An empty view stays empty.
void insert_column_ruler(RulerLines& view);

/// Takes the ruler out again: the four lines at every 24th index, from the last line up, which is where
/// insert_column_ruler put them; a view that holds what the insertion left gets its lines back one for one.
void remove_column_ruler(RulerLines& view);

/// The same on a list of lines.
void insert_column_ruler(std::vector<std::string>& lines);
void remove_column_ruler(std::vector<std::string>& lines);

}  // namespace qvr
