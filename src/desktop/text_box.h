#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <vector>

class QPlainTextEdit;

namespace qvr {

// The job log shows a line that is UTF-8 as UTF-8 (file names as the system spells them) and any other
// line one character a byte, as before; a line keeps the bytes it was shown from until it is edited, so
// reading it back gives them whatever they were. An edited line is read as its text's UTF-8.

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

/// Fills a text box, emptied first, with lines handed over one at a time, passed on in pieces of about a
/// megabyte, so that a big file is never held whole a second time on its way into the box.
class TextBoxFill {
  public:
    explicit TextBoxFill(QPlainTextEdit* box);
    ~TextBoxFill();
    TextBoxFill(const TextBoxFill&) = delete;
    TextBoxFill& operator=(const TextBoxFill&) = delete;

    void add(std::string_view line);
    /// Passes on the lines not yet in the box; a fill cut short by a failure is simply not finished.
    void finish();

  private:
    QPlainTextEdit* box_;
    QString piece_;
    int lines_ = 0;                                        // lines handed over so far
    std::vector<std::pair<int, std::string>> kept_bytes_;  // lines of the piece shown otherwise than as UTF-8
    bool first_ = true;
    bool undo_was_enabled_;
};

/// Puts `lines` before line `index` (0-based; after the last line when the box has no more).
void insert_lines(QPlainTextEdit* box, int index, const std::vector<std::string>& lines);

/// The bytes of `part` of the line at `index`: those shown while the line is unedited, else its UTF-8.
std::string line_part_bytes(const QPlainTextEdit* box, int index, const QString& part);

/// Empties the box.
void clear_box(QPlainTextEdit* box);

int line_count(const LineView* box);
std::vector<std::string> all_lines(const LineView* box);
void append_line(LineView* box, std::string_view line);
void set_lines(LineView* box, const std::vector<std::string>& lines);
/// Replaces the content by at most `max_lines` lines of the file at `path` (CR LF, CR or LF between lines;
/// a byte 0 is a byte of its line), which the view maps instead of copying; returns whether it shows every
/// line. Throws FileError.
bool set_file_lines(LineView* box, const std::string& path, std::size_t max_lines);
void clear_box(LineView* box);

}  // namespace qvr
