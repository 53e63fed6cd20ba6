#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/line_list.h"

namespace qvr {

/// Columns of a line view painted in a colour of their own on every line, with a tip that names them.
struct ColumnBand {
    std::size_t first = 0;  ///< 0-based, as the view counts columns
    std::size_t last = 0;   ///< inclusive
    QColor colour;
    QString tip;
};

/// A read-only view of many lines of bytes in a fixed-pitch font, with both scroll bars, selection by
/// mouse and by Shift with the arrow keys, select all and copy. It paints only the lines in sight, so a
/// view of a million lines fills in a moment and holds little more than their bytes, where a text
/// document would lay out every line and keep a block for each. The input and result views are of this
/// kind; the job log, which the user edits, stays a plain text box.
class LineView : public QAbstractScrollArea {
    Q_OBJECT

  public:
    /// The character shown for each byte.
    using CharTable = std::array<char16_t, 256>;

    explicit LineView(QWidget* parent = nullptr);

    /// Shows bytes through `table` (which must outlive the view) instead of the common mapping.
    void set_char_table(const CharTable* table);

    const LineList& lines() const { return lines_; }
    /// Changes the lines through `edit`, then shows them again (the selection goes), also when `edit`
    /// fails halfway.
    template <class Edit>
    void edit_lines(Edit&& edit) {
        struct Refresh {
            LineView* view;
            ~Refresh() { view->lines_changed(); }
        } refresh{this};
        edit(lines_);
    }

    // toPlainText, setPlainText, selectAll and selectionChanged keep the names of the plain text box the
    // view stands in for: the Designer form sets the view's text through setPlainText, and code and tests
    // treat both kinds of box alike. The view's own operations are named as the rest of the program.

    /// The lines as one text, each byte through the view's table, lines joined by "\n".
    QString toPlainText() const;
    /// Replaces the lines by those of `text` (split at "\n"), each character taken back to its byte.
    void setPlainText(const QString& text);

    /// Selection as a text box counts places (see LineList::position_of).
    void selectAll();
    void set_selection(std::uint64_t anchor, std::uint64_t position);
    std::uint64_t selection_start() const;
    std::uint64_t selection_end() const;
    bool has_selection() const { return anchor_ != cursor_; }
    /// The selected characters, lines joined by "\n".
    QString selected_text() const;
    /// Where the cursor stands.
    std::uint64_t cursor_position() const { return cursor_; }
    /// The line and the column (0-based) of a position, as the view counts columns.
    void place_of(std::uint64_t position, std::size_t& line, std::size_t& column) const {
        lines_.place_of(position, line, column);
    }

    /// Paints `bands` under the text of every line, and the text outside every band in `uncovered` (no
    /// marking when it is invalid) with the tip `uncovered_tip`, except on the lines `unmarked` names
    /// (the ruler's, which hold text in every column). No bands: the plain view again.
    void set_column_bands(std::vector<ColumnBand> bands, QColor uncovered = {}, QString uncovered_tip = {},
                          std::function<bool(std::size_t line)> unmarked = {});
    const std::vector<ColumnBand>& column_bands() const { return bands_; }
    /// The same with a set of bands per kind of line: `set_of` tells a line's set by its bytes (an index
    /// beyond the sets: none, the whole line then uncovered), so that lines of different record types show
    /// their own fields.
    void set_line_column_bands(std::vector<std::vector<ColumnBand>> sets,
                               std::function<std::size_t(std::string_view line)> set_of, QColor uncovered,
                               QString uncovered_tip, std::function<bool(std::size_t line)> unmarked = {});
    /// The bands painted on line `index`.
    const std::vector<ColumnBand>& column_bands_of_line(std::size_t index) const;
    /// The tip the view shows at a point of its viewport: the band's, the uncovered text's, or none.
    QString tip_at(const QPoint& point) const;

  signals:
    void selectionChanged();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;

  private:
    void lines_changed();
    void update_scroll_bars();
    int char_width() const;
    int line_height() const;
    int visible_lines() const;
    std::uint64_t place_at(const QPoint& point) const;
    void move_cursor(std::uint64_t position, bool keep_anchor);
    void make_cursor_visible();
    QString chars(std::string_view bytes) const;
    void copy() const;
    /// Paints the bands and the uncovered text of line `index` over the columns [first, first + count),
    /// whose first stands at x0.
    void paint_bands(QPainter& painter, std::size_t index, std::size_t line_columns, int top,
                     std::size_t first, std::size_t count, int x0) const;
    /// The band of line `index` that covers a column, or null.
    const ColumnBand* band_at(std::size_t index, std::size_t column) const;
    bool has_bands() const { return !bands_.empty() || set_of_line_; }

    LineList lines_;
    const CharTable* table_;
    std::uint64_t anchor_ = 0;
    std::uint64_t cursor_ = 0;
    std::vector<ColumnBand> bands_;                   // in column order
    std::vector<std::vector<ColumnBand>> band_sets_;  // each in column order
    std::function<std::size_t(std::string_view)> set_of_line_;
    QColor uncovered_;
    QString uncovered_tip_;
    std::function<bool(std::size_t)> unmarked_;
};

/// The common byte-to-character mapping as a table.
const LineView::CharTable& common_char_table();

}  // namespace qvr
