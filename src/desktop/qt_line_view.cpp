#include "desktop/qt_line_view.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>
#include <climits>

#include "common/char_map.h"
#include "common/utf8_chars.h"

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
    if (lines_.counts_characters() && has_high_byte(bytes)) {
        // A byte that starts no character shows as the replacement character, one column like the rest.
        std::u16string out;
        const char* const end = bytes.data() + bytes.size();
        for (const char* p = bytes.data(); p < end;) {
            const std::size_t size = utf8_char_size(p, end);
            const long cp = utf8_code_point(p, size);
            if (size == 1)
                out += cp < 0 ? u'\uFFFD' : (*table_)[static_cast<unsigned char>(*p)];
            else
                append_utf16(static_cast<char32_t>(cp), out);
            p += size;
        }
        return QString::fromStdU16String(out);
    }
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
    for (char32_t c : text.toUcs4()) {
        if (c == U'\n') {
            lines.push_back(line);
            line.clear();
        } else if (lines_.counts_characters() && c >= 0x80 && (c > 0xFFFF || byte_of[c] >= 0x80)) {
            line += QString::fromUcs4(&c, 1).toStdString();
        } else {
            line += static_cast<char>(c > 0xFFFF ? '?' : byte_of[c]);
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
    const int cw = char_width();
    // Columns stand a whole number of pixels apart; where the font's advance is fractional, the letters
    // are spaced to match, so that text, selection and field colours stay in their columns along a line.
    QFont spaced = font();
    spaced.setLetterSpacing(QFont::AbsoluteSpacing,
                            cw - QFontMetricsF(font()).horizontalAdvance(QLatin1Char('M')));
    painter.setFont(spaced);
    const QFontMetrics metrics = fontMetrics();
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
        const std::size_t line_columns = lines_.columns(i);
        const int top = kMargin + row * lh;
        const int baseline = top + metrics.ascent();
        auto x_of = [&](std::size_t column) {
            return x0 +
                   static_cast<int>(static_cast<qint64>(column) - static_cast<qint64>(first_column)) * cw;
        };
        const std::string_view shown = lines_.column_slice(i, first_column, columns);
        if (has_bands()) paint_bands(painter, i, line_columns, top, first_column, columns, x0);
        painter.setPen(colours.color(QPalette::Text));
        if (!shown.empty()) painter.drawText(x0, baseline, chars(shown));
        if (has_selection() || caret) {
            const std::uint64_t begin = lines_.position_of(i, 0);
            const std::uint64_t end = begin + line_columns;
            if (has_selection() && sel_start <= end && sel_end > begin) {
                const std::size_t a = static_cast<std::size_t>(std::max(sel_start, begin) - begin);
                // A selected line break shows as one more character's width.
                const std::size_t b = static_cast<std::size_t>(std::min(sel_end, end + 1) - begin);
                const QRect band(x_of(a), top, x_of(b) - x_of(a), lh);
                painter.fillRect(band, colours.color(QPalette::Highlight));
                const std::size_t to = std::min(b, line_columns);
                const std::size_t from = std::max(a, first_column);
                if (from < to) {
                    painter.setPen(colours.color(QPalette::HighlightedText));
                    painter.drawText(x_of(from), baseline,
                                     chars(lines_.column_slice(i, from, std::min(to - from, columns))));
                }
            }
            if (caret && cursor_ >= begin && cursor_ <= end)
                painter.fillRect(x_of(static_cast<std::size_t>(cursor_ - begin)), top, 1, lh,
                                 colours.color(QPalette::Text));
        }
    }
}

void LineView::paint_bands(QPainter& painter, std::size_t index, std::size_t line_columns, int top,
                           std::size_t first, std::size_t count, int x0) const {
    const int cw = char_width();
    const int lh = line_height();
    const std::size_t end = first + count;
    auto x_of = [&](std::size_t column) { return x0 + static_cast<int>(column - first) * cw; };
    const std::vector<ColumnBand>& bands = column_bands_of_line(index);
    for (const ColumnBand& band : bands) {
        if (band.last < first || band.first >= end) continue;
        const std::size_t a = std::max(band.first, first);
        const std::size_t b = std::min(band.last + 1, end);
        painter.fillRect(QRect(x_of(a), top, x_of(b) - x_of(a), lh), band.colour);
    }
    if (!uncovered_.isValid() || (unmarked_ && unmarked_(index))) return;
    auto band = bands.begin();
    for (std::size_t c = first; c < std::min(end, line_columns); ++c) {
        while (band != bands.end() && band->last < c) ++band;
        if (band != bands.end() && band->first <= c) continue;
        if (lines_.column_slice(index, c, 1) != " ")
            painter.fillRect(QRect(x_of(c), top, cw, lh), uncovered_);
    }
}

namespace {
void sort_bands(std::vector<ColumnBand>& bands) {
    std::sort(bands.begin(), bands.end(),
              [](const ColumnBand& a, const ColumnBand& b) { return a.first < b.first; });
}
}  // namespace

void LineView::set_line_column_bands(std::vector<std::vector<ColumnBand>> sets,
                                     std::function<std::size_t(std::string_view)> set_of, QColor uncovered,
                                     QString uncovered_tip, std::function<bool(std::size_t)> unmarked) {
    set_column_bands({}, uncovered, std::move(uncovered_tip), std::move(unmarked));
    for (std::vector<ColumnBand>& bands : sets) sort_bands(bands);
    band_sets_ = std::move(sets);
    set_of_line_ = std::move(set_of);
}

const std::vector<ColumnBand>& LineView::column_bands_of_line(std::size_t index) const {
    static const std::vector<ColumnBand> kNone;
    if (!set_of_line_) return bands_;
    if (index >= lines_.size()) return kNone;
    const std::size_t set = set_of_line_(lines_[index]);
    return set < band_sets_.size() ? band_sets_[set] : kNone;
}

void LineView::set_column_bands(std::vector<ColumnBand> bands, QColor uncovered, QString uncovered_tip,
                                std::function<bool(std::size_t)> unmarked) {
    sort_bands(bands);
    band_sets_.clear();
    set_of_line_ = nullptr;
    bands_ = std::move(bands);
    uncovered_ = uncovered;
    uncovered_tip_ = std::move(uncovered_tip);
    unmarked_ = std::move(unmarked);
    viewport()->update();
}

const ColumnBand* LineView::band_at(std::size_t index, std::size_t column) const {
    for (const ColumnBand& band : column_bands_of_line(index))
        if (band.first <= column && column <= band.last) return &band;
    return nullptr;
}

QString LineView::tip_at(const QPoint& point) const {
    if (!has_bands() || lines_.empty()) return {};
    const qint64 row = std::max(0, point.y() - kMargin) / line_height();
    const std::size_t line = static_cast<std::size_t>(verticalScrollBar()->value() + row);
    const int x = point.x() - kMargin + horizontalScrollBar()->value();
    if (x < 0) return {};
    const std::size_t column = static_cast<std::size_t>(x / char_width());
    if (const ColumnBand* band = band_at(line, column)) return band->tip;
    if (!uncovered_.isValid() || line >= lines_.size() || (unmarked_ && unmarked_(line))) return {};
    const std::string_view text = lines_[line];
    return column < text.size() && text[column] != ' ' ? uncovered_tip_ : QString();
}

bool LineView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = tip_at(help->pos());
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, viewport());
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
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
    // What the window that holds the view offers on its lines comes first.
    if (!actions().isEmpty()) {
        menu.addActions(actions());
        menu.addSeparator();
    }
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
        const std::size_t from = i == line ? column : 0;
        const std::size_t to = i == end_line ? end_column : lines_.columns(i);
        text += chars(lines_.column_slice(i, from, to - from));
        if (i < end_line) text += QLatin1Char('\n');
    }
    return text;
}

}  // namespace qvr
