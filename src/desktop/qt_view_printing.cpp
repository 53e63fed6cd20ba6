#include "desktop/qt_view_printing.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QTextBlock>

#include "desktop/desktop.h"
#include "desktop/qt_line_view.h"
#include "desktop/text_box.h"
#include "desktop/widget_text.h"

namespace qvr {

namespace {

/// The printer driven as a text device: lines from the top of the page down, a line wider than the page
/// going on in the next printed line, a new page when one is full.
class TextPage {
  public:
    TextPage(QPrinter& printer, QPainter& painter) : printer_(printer), painter_(painter) {}

    /// Prints one line; false when the printer refused a new page.
    bool write_line(const QString& line) {
        QFontMetricsF metrics(painter_.font(), &printer_);
        const qreal width = painter_.viewport().width();
        // Tabs become the blanks up to the next stop of eight columns, so a piece is measured exactly as
        // it is drawn.
        const QString text = expand_tabs(line);
        qsizetype start = 0;
        do {
            qsizetype end = fitting_end(metrics, text, start, width);
            if (!place_line(metrics)) return false;
            painter_.drawText(QPointF(0, y_ + metrics.ascent()), text.mid(start, end - start));
            y_ += metrics.lineSpacing();
            start = end;
        } while (start < text.size());
        return true;
    }

  private:
    static QString expand_tabs(const QString& line) {
        QString text;
        for (QChar c : line) {
            if (c != QLatin1Char('\t')) {
                text += c;
                continue;
            }
            do text += QLatin1Char(' ');
            while (text.size() % 8 != 0);
        }
        return text;
    }

    // The end of the longest piece of `line` from `start` that fits `width`; at least one character.
    static qsizetype fitting_end(const QFontMetricsF& metrics, const QString& line, qsizetype start,
                                 qreal width) {
        qreal used = 0;
        qsizetype end = start;
        while (end < line.size()) {
            used += metrics.horizontalAdvance(line.at(end));
            if (used > width && end > start) break;
            ++end;
        }
        return end;
    }

    bool place_line(const QFontMetricsF& metrics) {
        if (y_ > 0 && y_ + metrics.height() > painter_.viewport().height()) {
            if (!printer_.newPage()) return false;
            y_ = 0;
        }
        return true;
    }

    QPrinter& printer_;
    QPainter& painter_;
    qreal y_ = 0;
};

std::string printer_failure(const QPrinter& printer) {
    QString where = printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
    return "Cannot print on " + from_widget_text(where);
}

/// The printing of either kind of box: `line(i)` gives line i (0-based) of `count`.
template <class LineText>
void print_lines(Desktop& desktop, FontChoice& printer_font, int count, LineText line) {
    QPrinter printer(QPrinter::HighResolution);
    if (!desktop.choose_printer(printer)) return;
    QPainter painter;
    if (!painter.begin(&printer)) {
        show_general_error(desktop, printer_failure(printer));
        return;
    }
    // The job has started; a cancelled font dialog leaves the printer's own font.
    FontChoice font = printer_font;
    if (desktop.choose_font(font)) {
        printer_font = font;
        painter.setFont(QFont(font.family, font.point_size));
    }
    TextPage page(printer, painter);
    bool printed = page.write_line(QStringLiteral(" ")) && page.write_line(QStringLiteral(" "));
    for (int i = 0; printed && i < count; ++i) printed = page.write_line(QStringLiteral("   ") + line(i));
    if (!painter.end() || !printed) {
        show_general_error(desktop, printer_failure(printer));
        return;
    }
    desktop.message_box(BoxKind::information, QStringLiteral("Print completed"), kOk);
}

}  // namespace

void print_view(Desktop& desktop, FontChoice& printer_font, const QPlainTextEdit* box) {
    QTextBlock block = box->document()->begin();
    // Lines are asked for in order, so the walk goes block to block.
    print_lines(desktop, printer_font, line_count(box), [&block](int) {
        QString text = block.text();
        block = block.next();
        return text;
    });
}

void print_view(Desktop& desktop, FontChoice& printer_font, const LineView* box) {
    print_lines(desktop, printer_font, line_count(box),
                [box](int i) { return to_widget_text(box->lines()[static_cast<std::size_t>(i)]); });
}

}  // namespace qvr
