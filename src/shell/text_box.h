#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <vector>

class QPlainTextEdit;

namespace qvr {

// The multi-line text boxes (input view, result view, job log) hold lines of the program's bytes; these
// are the line operations the commands use on them, in one place so that every box counts alike.

/// Number of lines; an empty box has none.
int line_count(const QPlainTextEdit* box);

/// Line `index` (0-based) as bytes.
std::string line_at(const QPlainTextEdit* box, int index);

/// Every line as bytes.
std::vector<std::string> all_lines(const QPlainTextEdit* box);

/// Appends one line at the end.
void append_line(QPlainTextEdit* box, std::string_view line);

/// Replaces the whole content by `lines`.
void set_lines(QPlainTextEdit* box, const std::vector<std::string>& lines);

/// Replaces the whole content by the lines of `text` (CR LF, CR or LF between lines).
void set_text_lines(QPlainTextEdit* box, std::string_view text);

/// Empties the box.
void clear_box(QPlainTextEdit* box);

}  // namespace qvr
