#include <QPlainTextEdit>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "desktop/qt_line_view.h"
#include "desktop/text_box.h"
#include "desktop/widget_text.h"

namespace qvr {

namespace {

class ShownBytes : public QTextBlockUserData {
  public:
    ShownBytes(std::string bytes, QString shown) : bytes(std::move(bytes)), shown(std::move(shown)) {}
    std::string bytes;
    QString shown;
};

QString shown_line(const std::string& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return utf8.hasError() ? to_widget_text(bytes) : text;
}

void keep_bytes(QTextBlock block, const std::string& bytes) {
    block.setUserData(new ShownBytes(bytes, block.text()));
}

std::string block_bytes(const QTextBlock& block) {
    const auto* kept = dynamic_cast<const ShownBytes*>(block.userData());
    return kept && kept->shown == block.text() ? kept->bytes : block.text().toStdString();
}

}  // namespace

int line_count(const QPlainTextEdit* box) {
    const QTextDocument* doc = box->document();
    if (doc->isEmpty()) return 0;
    return doc->blockCount();
}

std::string line_at(const QPlainTextEdit* box, int index) {
    return block_bytes(box->document()->findBlockByNumber(index));
}

std::string line_part_bytes(const QPlainTextEdit* box, int index, const QString& part) {
    const QTextBlock block = box->document()->findBlockByNumber(index);
    return part == block.text() ? block_bytes(block) : part.toStdString();
}

std::vector<std::string> all_lines(const QPlainTextEdit* box) {
    std::vector<std::string> lines;
    if (box->document()->isEmpty()) return lines;
    for (QTextBlock b = box->document()->begin(); b.isValid(); b = b.next()) lines.push_back(block_bytes(b));
    return lines;
}

void set_lines(QPlainTextEdit* box, const std::vector<std::string>& lines) {
    QString text;
    qsizetype size = 0;
    for (const std::string& l : lines) size += static_cast<qsizetype>(l.size()) + 1;
    text.reserve(size);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += QLatin1Char('\n');
        text += shown_line(lines[i]);
    }
    box->setPlainText(text);
    QTextBlock block = box->document()->begin();
    for (std::size_t i = 0; i < lines.size() && block.isValid(); ++i, block = block.next())
        keep_bytes(block, lines[i]);
}

void prepend_line(QPlainTextEdit* box, const std::string& line) {
    QTextDocument* doc = box->document();
    const bool was_empty = doc->isEmpty();
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::Start);
    cursor.insertText(shown_line(line));
    if (!was_empty) cursor.insertBlock();
    keep_bytes(doc->begin(), line);
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
