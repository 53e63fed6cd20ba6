#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "common/whole_text.h"
#include "shell/text_box.h"
#include "shell/widget_text.h"

namespace qvr {

int line_count(const QPlainTextEdit* box) {
    const QTextDocument* doc = box->document();
    if (doc->isEmpty()) return 0;
    return doc->blockCount();
}

std::string line_at(const QPlainTextEdit* box, int index) {
    return from_widget_text(box->document()->findBlockByNumber(index).text());
}

std::vector<std::string> all_lines(const QPlainTextEdit* box) {
    std::vector<std::string> lines;
    if (box->document()->isEmpty()) return lines;
    for (QTextBlock b = box->document()->begin(); b.isValid(); b = b.next())
        lines.push_back(from_widget_text(b.text()));
    return lines;
}

void append_line(QPlainTextEdit* box, std::string_view line) {
    QTextDocument* doc = box->document();
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::End);
    if (!doc->isEmpty()) cursor.insertBlock();
    cursor.insertText(to_widget_text(line));
}

void set_lines(QPlainTextEdit* box, const std::vector<std::string>& lines) {
    QString text;
    qsizetype size = 0;
    for (const std::string& l : lines) size += static_cast<qsizetype>(l.size()) + 1;
    text.reserve(size);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += QLatin1Char('\n');
        text += to_widget_text(lines[i]);
    }
    box->setPlainText(text);
}

void set_text_lines(QPlainTextEdit* box, std::string_view text) {
    QString joined;
    joined.reserve(static_cast<qsizetype>(text.size()));
    WholeTextLines lines(text);
    std::string_view line;
    bool first = true;
    while (lines.next(line)) {
        if (!first) joined += QLatin1Char('\n');
        joined += to_widget_text(line);
        first = false;
    }
    box->setPlainText(joined);
}

void clear_box(QPlainTextEdit* box) { box->clear(); }

}  // namespace qvr
