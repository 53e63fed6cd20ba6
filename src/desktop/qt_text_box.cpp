#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "desktop/qt_line_view.h"
#include "desktop/text_box.h"
#include "desktop/widget_text.h"

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

void clear_box(QPlainTextEdit* box) { box->clear(); }

int line_count(const LineView* box) { return static_cast<int>(box->lines().size()); }

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
