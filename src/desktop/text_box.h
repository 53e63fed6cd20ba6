#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <vector>

class QPlainTextEdit;

namespace qvr {

class LineView;

// The multi-line text boxes (input view, result view, job log) hold lines of the program's bytes; these
// are the line operations the commands use on them, in one place so that every box counts alike. The
// job log is a text box the user may edit; the two views are line views (desktop/qt_line_view.h), and
// each operation has a form for both.

/// Number of lines; an empty box has none.
int line_count(const QPlainTextEdit* box);

/// Line `index` (0-based) as bytes.
std::string line_at(const QPlainTextEdit* box, int index);

/// Every line as bytes.
std::vector<std::string> all_lines(const QPlainTextEdit* box);

/// Replaces the whole content by `lines`.
void set_lines(QPlainTextEdit* box, const std::vector<std::string>& lines);

/// Empties the box.
void clear_box(QPlainTextEdit* box);

int line_count(const LineView* box);
std::vector<std::string> all_lines(const LineView* box);
void append_line(LineView* box, std::string_view line);
void set_lines(LineView* box, const std::vector<std::string>& lines);
/// Replaces the content by the lines of `text` (CR LF, CR or LF between lines; a byte 0 ends it); the
/// view keeps the text itself, so a whole result file is shown without a copy.
void set_text_lines(LineView* box, std::string text);
void clear_box(LineView* box);

}  // namespace qvr
