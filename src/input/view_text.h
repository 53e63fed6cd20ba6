#pragma once

#include <QString>
#include <array>
#include <string>
#include <string_view>
#include <vector>

class QPlainTextEdit;

namespace qvr {

class LineView;

// The input view shows each byte of the file as one character (input/view_chars.h); these turn its lines
// into the text of the box and back without losing a byte.

/// Adds the characters of `bytes` to `text`.
void append_view_chars(QString& text, std::string_view bytes);

/// The bytes behind the characters of the input view.
std::string from_view_text(QStringView text);

/// The lines of the input view, as bytes.
std::vector<std::string> view_lines(const QPlainTextEdit* box);

/// The characters of the input view for every byte, for a line view (shell/qt_line_view.h).
const std::array<char16_t, 256>& view_char_table();

/// The lines of the input view, as bytes.
std::vector<std::string> view_lines(const LineView* box);

/// Inserts (`on`) or removes the column ruler of a line view, in one pass over its lines.
void set_view_ruler(LineView* box, bool on);

/// Inserts (`on`) or removes the column ruler (input/column_ruler.h) in the box, in place and as one
/// edit, so that a view of a large file changes only where the ruler goes.
void set_view_ruler(QPlainTextEdit* box, bool on);

}  // namespace qvr
