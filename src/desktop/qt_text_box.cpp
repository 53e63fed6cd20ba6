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

/// The line as shown: as UTF-8 when it is, else one character a byte. `utf8` learns which.
QString shown_line(std::string_view bytes, bool& utf8) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    utf8 = !decoder.hasError();
    return utf8 ? text : to_widget_text(bytes);
}

// Only lines not shown as UTF-8 carry their bytes: the others read back as they are, and a log of
// gigabytes keeps no second copy of itself.
void keep_bytes(QTextBlock block, const std::string& bytes) {
    block.setUserData(new ShownBytes(bytes, block.text()));
}

std::string block_bytes(const QTextBlock& block) {
    const auto* kept = dynamic_cast<const ShownBytes*>(block.userData());
    return kept && kept->shown == block.text() ? kept->bytes : block.text().toStdString();
}

constexpr qsizetype kFillPiece = qsizetype{1} << 20;

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
    TextBoxFill fill(box);
    for (const std::string& line : lines) fill.add(line);
    fill.finish();
}

// Nothing of the fill is kept for undoing: a log of gigabytes would be held a second time for it.
TextBoxFill::TextBoxFill(QPlainTextEdit* box)
    : box_(box), undo_was_enabled_(box->document()->isUndoRedoEnabled()) {
    box_->clear();
    box_->document()->setUndoRedoEnabled(false);
    piece_.reserve(kFillPiece + 1024);
}

TextBoxFill::~TextBoxFill() { box_->document()->setUndoRedoEnabled(undo_was_enabled_); }

void TextBoxFill::add(std::string_view line) {
    if (!first_) piece_ += QLatin1Char('\n');
    first_ = false;
    bool utf8 = true;
    piece_ += shown_line(line, utf8);
    if (!utf8) kept_bytes_.emplace_back(lines_, std::string(line));
    ++lines_;
    if (piece_.size() >= kFillPiece) finish();
}

void TextBoxFill::finish() {
    if (piece_.isEmpty()) return;
    QTextDocument* doc = box_->document();
    QTextCursor end(doc);
    end.movePosition(QTextCursor::End);
    end.insertText(piece_);
    piece_.resize(0);
    for (const auto& [index, bytes] : kept_bytes_) keep_bytes(doc->findBlockByNumber(index), bytes);
    kept_bytes_.clear();
}

void insert_lines(QPlainTextEdit* box, int index, const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    QTextDocument* doc = box->document();
    const bool was_empty = doc->isEmpty();
    QString text;
    std::vector<bool> utf8(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += QLatin1Char('\n');
        bool is_utf8 = true;
        text += shown_line(lines[i], is_utf8);
        utf8[i] = is_utf8;
    }
    QTextCursor cursor(doc);
    int first = index;
    if (was_empty) {
        cursor.insertText(text);
        first = 0;
    } else if (index < doc->blockCount()) {
        cursor.setPosition(doc->findBlockByNumber(index).position());
        cursor.insertText(text + QLatin1Char('\n'));
    } else {
        first = doc->blockCount();
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(QLatin1Char('\n') + text);
    }
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (!utf8[i]) keep_bytes(doc->findBlockByNumber(first + static_cast<int>(i)), lines[i]);
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

bool set_file_lines(LineView* box, const std::string& path, std::size_t max_lines) {
    bool whole = false;
    box->edit_lines([&](LineList& lines) { whole = lines.assign_file(path, max_lines); });
    return whole;
}

void clear_box(LineView* box) {
    box->edit_lines([](LineList& lines) { lines.clear(); });
}

}  // namespace qvr
