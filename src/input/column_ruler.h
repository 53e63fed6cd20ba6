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

/// The tens line for a longest line of `longest` characters, built block by block until it reaches
/// `longest`: block 1 is "(rule)   1", block k the number k right-aligned in 10 characters, so that
/// column 10 x k holds the last digit of k.
std::string ruler_tens_line(std::size_t longest);

/// The four lines of a ruler block for a longest line of `longest` characters; the dash lines are exactly
/// `longest` long, the tens and units lines `longest` rounded up to a multiple of 10.
std::array<std::string, kRulerBlockLines> ruler_block(std::size_t longest);

/// Puts a ruler block before lines 0, 20, 40 ... of the view, sized to its longest line; an empty view
/// stays empty.
void insert_column_ruler(std::vector<std::string>& lines);

/// Takes the ruler out again: the four lines at every 24th index, which is where insert_column_ruler put
/// them, so a view that holds what the insertion left gets its lines back one for one.
void remove_column_ruler(std::vector<std::string>& lines);

}  // namespace qvr
