#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <vector>

class QPlainTextEdit;

namespace qvr {

// The input view shows each byte of the file as one character (input/view_chars.h); these turn its lines
// into the text of the box and back without losing a byte.

/// Adds the characters of `bytes` to `text`.
void append_view_chars(QString& text, std::string_view bytes);

/// The bytes behind the characters of the input view.
std::string from_view_text(QStringView text);

/// The lines of the input view, as bytes.
std::vector<std::string> view_lines(const QPlainTextEdit* box);

/// Inserts (`on`) or removes the column ruler (input/column_ruler.h) in the box, in place and as one
/// edit, so that a view of a large file changes only where the ruler goes.
void set_view_ruler(QPlainTextEdit* box, bool on);

}  // namespace qvr
