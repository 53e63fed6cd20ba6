#pragma once

#include <array>

namespace qvr {

class LineView;

/// The characters the input view shows for every byte (input/view_chars.h), for a line view
/// (shell/qt_line_view.h): each byte is one character, so columns, ruler and selection stay true.
const std::array<char16_t, 256>& view_char_table();

/// Inserts (`on`) or removes the column ruler (input/column_ruler.h) of a line view, in one pass over its
/// lines.
void set_view_ruler(LineView* box, bool on);

}  // namespace qvr
