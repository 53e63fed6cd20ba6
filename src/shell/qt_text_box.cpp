#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "common/whole_text.h"
#include "shell/qt_line_view.h"
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

int line_count(const LineView* box) { return static_cast<int>(box->lines().size()); }

std::string line_at(const LineView* box, int index) {
    return std::string(box->lines()[static_cast<std::size_t>(index)]);
}

std::vector<std::string> all_lines(const LineView* box) {
    const LineList& lines = box->lines();
    std::vector<std::string> out;
    out.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) out.emplace_back(lines[i]);
    return out;
}

void append_line(LineView* box, std::string_view line) {
    box->edit_lines([line](LineList& lines) { lines.append(line); });
}

void set_lines(LineView* box, const std::vector<std::string>& lines) {
    box->edit_lines([&lines](LineList& list) { list.assign(lines); });
}

void set_text_lines(LineView* box, std::string text) {
    box->edit_lines(
        [&text](LineList& lines) { lines.assign_text(std::move(text), LineList::Ends::whole_text); });
}

void clear_box(LineView* box) {
    box->edit_lines([](LineList& lines) { lines.clear(); });
}

}  // namespace qvr
