#include "desktop/qt_line_view.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <climits>

#include "common/char_map.h"

namespace qvr {

namespace {
constexpr int kMargin = 4;  // as a text box leaves around its text
}  // namespace

const LineView::CharTable& common_char_table() {
    static const LineView::CharTable table = [] {
        LineView::CharTable t{};
        for (int b = 0; b < 256; ++b)
            t[static_cast<std::size_t>(b)] = byte_to_char(static_cast<unsigned char>(b));
        return t;
    }();
    return table;
}

LineView::LineView(QWidget* parent) : QAbstractScrollArea(parent), table_(&common_char_table()) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
}

void LineView::set_char_table(const CharTable* table) {
    table_ = table;
    viewport()->update();
}

QString LineView::chars(std::string_view bytes) const {
    QString out(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* data = out.data();
    for (unsigned char b : bytes) *data++ = QChar((*table_)[b]);
    return out;
}

QString LineView::toPlainText() const {
    QString text;
    text.reserve(static_cast<qsizetype>(lines_.length()));
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i > 0) text += QLatin1Char('\n');
        text += chars(lines_[i]);
    }
    return text;
}

void LineView::setPlainText(const QString& text) {
    std::array<int, 65536> byte_of{};
    byte_of.fill('?');
    for (int b = 255; b >= 0; --b) byte_of[(*table_)[static_cast<std::size_t>(b)]] = b;
    std::vector<std::string> lines;
    std::string line;
    for (QChar c : text) {
        if (c == QLatin1Char('\n')) {
            lines.push_back(line);
            line.clear();
        } else {
            line += static_cast<char>(byte_of[c.unicode()]);
        }
    }
    if (!text.isEmpty()) lines.push_back(line);
    lines_.assign(lines);
    lines_changed();
}

void LineView::lines_changed() {
    anchor_ = cursor_ = 0;
    update_scroll_bars();
    viewport()->update();
    emit selectionChanged();
}

int LineView::char_width() const { return std::max(1, fontMetrics().horizontalAdvance(QLatin1Char('M'))); }
int LineView::line_height() const { return std::max(1, fontMetrics().lineSpacing()); }
int LineView::visible_lines() const { return std::max(1, (viewport()->height() - kMargin) / line_height()); }

void LineView::update_scroll_bars() {
    const qint64 count = static_cast<qint64>(lines_.size());
    verticalScrollBar()->setRange(0,
                                  static_cast<int>(std::clamp<qint64>(count - visible_lines(), 0, INT_MAX)));
    verticalScrollBar()->setPageStep(visible_lines());
    verticalScrollBar()->setSingleStep(1);
    const qint64 width = static_cast<qint64>(lines_.longest()) * char_width() + 2 * kMargin;
    horizontalScrollBar()->setRange(
        0, static_cast<int>(std::clamp<qint64>(width - viewport()->width(), 0, INT_MAX)));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(char_width());
}

void LineView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    update_scroll_bars();
}

void LineView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        update_scroll_bars();
        viewport()->update();
    }
}

void LineView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.setFont(font());
    const QFontMetrics metrics = fontMetrics();
    const int cw = char_width();
    const int lh = line_height();
    const std::size_t first = static_cast<std::size_t>(verticalScrollBar()->value());
    const int scrolled = horizontalScrollBar()->value();
    const std::size_t first_column = static_cast<std::size_t>(std::max(0, scrolled - kMargin) / cw);
    const int x0 = kMargin + static_cast<int>(first_column) * cw - scrolled;
    const std::size_t columns = static_cast<std::size_t>(viewport()->width() / cw + 2);
    const std::uint64_t sel_start = selection_start();
    const std::uint64_t sel_end = selection_end();
    const bool caret = hasFocus() && !has_selection();
    const QPalette& colours = palette();
    for (int row = 0; row <= visible_lines(); ++row) {
        const std::size_t i = first + static_cast<std::size_t>(row);
        if (i >= lines_.size()) break;
        const std::string_view line = lines_[i];
        const int top = kMargin + row * lh;
        const int baseline = top + metrics.ascent();
        auto x_of = [&](std::size_t column) {
            return x0 +
                   static_cast<int>(static_cast<qint64>(column) - static_cast<qint64>(first_column)) * cw;
        };
        const std::string_view shown =
            first_column < line.size() ? line.substr(first_column, columns) : std::string_view();
        painter.setPen(colours.color(QPalette::Text));
        if (!shown.empty()) painter.drawText(x0, baseline, chars(shown));
        if (has_selection() || caret) {
            const std::uint64_t begin = lines_.position_of(i, 0);
            const std::uint64_t end = begin + line.size();
            if (has_selection() && sel_start <= end && sel_end > begin) {
                const std::size_t a = static_cast<std::size_t>(std::max(sel_start, begin) - begin);
                // A selected line break shows as one more character's width.
                const std::size_t b = static_cast<std::size_t>(std::min(sel_end, end + 1) - begin);
                const QRect band(x_of(a), top, x_of(b) - x_of(a), lh);
                painter.fillRect(band, colours.color(QPalette::Highlight));
                const std::size_t to = std::min(b, line.size());
                const std::size_t from = std::max(a, first_column);
                if (from < to) {
                    painter.setPen(colours.color(QPalette::HighlightedText));
                    painter.drawText(x_of(from), baseline,
                                     chars(line.substr(from, std::min(to - from, columns))));
                }
            }
            if (caret && cursor_ >= begin && cursor_ <= end)
                painter.fillRect(x_of(static_cast<std::size_t>(cursor_ - begin)), top, 1, lh,
                                 colours.color(QPalette::Text));
        }
    }
}

std::uint64_t LineView::place_at(const QPoint& point) const {
    if (lines_.empty()) return 0;
    const qint64 row = std::max(0, point.y() - kMargin) / line_height();
    const std::size_t line = std::min<std::size_t>(
        static_cast<std::size_t>(verticalScrollBar()->value() + row), lines_.size() - 1);
    const int x = std::max(0, point.x() - kMargin + horizontalScrollBar()->value());
    const std::size_t column = static_cast<std::size_t>((x + char_width() / 2) / char_width());
    return lines_.position_of(line, column);
}

void LineView::move_cursor(std::uint64_t position, bool keep_anchor) {
    cursor_ = std::min(position, lines_.length());
    if (!keep_anchor) anchor_ = cursor_;
    make_cursor_visible();
    viewport()->update();
    emit selectionChanged();
}

void LineView::make_cursor_visible() {
    std::size_t line = 0;
    std::size_t column = 0;
    lines_.place_of(cursor_, line, column);
    QScrollBar* bar = verticalScrollBar();
    if (static_cast<qint64>(line) < bar->value()) bar->setValue(static_cast<int>(line));
    if (static_cast<qint64>(line) >= bar->value() + visible_lines())
        bar->setValue(static_cast<int>(line) - visible_lines() + 1);
    QScrollBar* across = horizontalScrollBar();
    const qint64 x = static_cast<qint64>(column) * char_width();
    if (x < across->value()) across->setValue(static_cast<int>(x));
    if (x + 2 * kMargin > across->value() + viewport()->width())
        across->setValue(static_cast<int>(std::min<qint64>(x + 2 * kMargin - viewport()->width(), INT_MAX)));
}

void LineView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    move_cursor(place_at(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
}

void LineView::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) move_cursor(place_at(event->position().toPoint()), true);
}

void LineView::keyPressEvent(QKeyEvent* event) {
    if (event == QKeySequence::SelectAll) return selectAll();
    if (event == QKeySequence::Copy) return copy();
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const bool whole = event->modifiers() & Qt::ControlModifier;
    std::size_t line = 0;
    std::size_t column = 0;
    lines_.place_of(cursor_, line, column);
    const std::size_t last = lines_.empty() ? 0 : lines_.size() - 1;
    const std::size_t page = static_cast<std::size_t>(visible_lines());
    switch (event->key()) {
        case Qt::Key_Left:
            return move_cursor(cursor_ > 0 ? cursor_ - 1 : 0, extend);
        case Qt::Key_Right:
            return move_cursor(cursor_ + 1, extend);
        case Qt::Key_Up:
            return move_cursor(line > 0 ? lines_.position_of(line - 1, column) : cursor_, extend);
        case Qt::Key_Down:
            return move_cursor(line < last ? lines_.position_of(line + 1, column) : cursor_, extend);
        case Qt::Key_PageUp:
            return move_cursor(lines_.position_of(line > page ? line - page : 0, column), extend);
        case Qt::Key_PageDown:
            return move_cursor(lines_.position_of(std::min(last, line + page), column), extend);
        case Qt::Key_Home:
            return move_cursor(whole ? 0 : lines_.position_of(line, 0), extend);
        case Qt::Key_End:
            return move_cursor(whole ? lines_.length() : lines_.position_of(line, SIZE_MAX), extend);
        default:
            event->ignore();
    }
}

void LineView::copy() const {
    if (has_selection()) QApplication::clipboard()->setText(selected_text());
}

void LineView::contextMenuEvent(QContextMenuEvent* event) {
    // What a read-only text box offers on its right button.
    QMenu menu(this);
    QAction* copy_action = menu.addAction(tr("&Copy"), this, &LineView::copy);
    copy_action->setEnabled(has_selection());
    menu.addSeparator();
    menu.addAction(tr("Select All"), this, &LineView::selectAll)->setEnabled(!lines_.empty());
    menu.exec(event->globalPos());
}

void LineView::selectAll() {
    anchor_ = 0;
    cursor_ = lines_.length();
    viewport()->update();
    emit selectionChanged();
}

void LineView::set_selection(std::uint64_t anchor, std::uint64_t position) {
    anchor_ = std::min(anchor, lines_.length());
    move_cursor(position, true);
}

std::uint64_t LineView::selection_start() const { return std::min(anchor_, cursor_); }
std::uint64_t LineView::selection_end() const { return std::max(anchor_, cursor_); }

QString LineView::selected_text() const {
    QString text;
    if (!has_selection()) return text;
    std::size_t line = 0;
    std::size_t column = 0;
    std::size_t end_line = 0;
    std::size_t end_column = 0;
    lines_.place_of(selection_start(), line, column);
    lines_.place_of(selection_end(), end_line, end_column);
    text.reserve(static_cast<qsizetype>(selection_end() - selection_start()));
    for (std::size_t i = line; i <= end_line; ++i) {
        std::string_view bytes = lines_[i];
        const std::size_t from = i == line ? column : 0;
        const std::size_t to = i == end_line ? end_column : bytes.size();
        text += chars(bytes.substr(from, to - from));
        if (i < end_line) text += QLatin1Char('\n');
    }
    return text;
}

}  // namespace qvr
