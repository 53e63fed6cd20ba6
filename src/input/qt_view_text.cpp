#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <array>

#include "input/column_ruler.h"
#include "input/view_chars.h"
#include "input/view_text.h"
#include "shell/qt_line_view.h"

namespace qvr {

const std::array<char16_t, 256>& view_char_table() {
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> t{};
        for (int b = 0; b < 256; ++b) t[b] = view_char(static_cast<unsigned char>(b));
        return t;
    }();
    return table;
}

void append_view_chars(QString& text, std::string_view bytes) {
    const auto& table = view_char_table();
    const qsizetype at = text.size();
    text.resize(at + static_cast<qsizetype>(bytes.size()));
    QChar* out = text.data() + at;
    for (unsigned char b : bytes) *out++ = QChar(table[b]);
}

std::string from_view_text(QStringView text) {
    std::string bytes(static_cast<std::size_t>(text.size()), '\0');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int b = view_byte(text[i].unicode());
        bytes[static_cast<std::size_t>(i)] = b < 0 ? '?' : static_cast<char>(b);
    }
    return bytes;
}

std::vector<std::string> view_lines(const QPlainTextEdit* box) {
    std::vector<std::string> lines;
    const QTextDocument* doc = box->document();
    if (doc->isEmpty()) return lines;
    lines.reserve(static_cast<std::size_t>(doc->blockCount()));
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) lines.push_back(from_view_text(b.text()));
    return lines;
}

namespace {

/// The lines of a text box seen as RulerLines, edited through cursors.
class DocumentLines : public RulerLines {
  public:
    explicit DocumentLines(QTextDocument* doc) : doc_(doc) {}

    std::size_t line_count() const override {
        return doc_->isEmpty() ? 0 : static_cast<std::size_t>(doc_->blockCount());
    }

    std::size_t longest_line() const override {
        int longest = 0;
        // A block's length counts its line break.
        for (QTextBlock b = doc_->begin(); b.isValid(); b = b.next())
            longest = std::max(longest, b.length() - 1);
        return static_cast<std::size_t>(longest);
    }

    void insert_block(std::size_t index, const RulerBlock& block) override {
        if (block_text_.isEmpty()) {
            for (const std::string& line : block) {
                append_view_chars(block_text_, line);
                block_text_ += QChar(u'\n');
            }
        }
        QTextCursor(doc_->findBlockByNumber(static_cast<int>(index))).insertText(block_text_);
    }

    void erase_block(std::size_t index) override {
        const QTextBlock first = doc_->findBlockByNumber(static_cast<int>(index));
        const QTextBlock after = doc_->findBlockByNumber(static_cast<int>(index + kRulerBlockLines));
        QTextCursor range(doc_);
        if (after.isValid()) {
            range.setPosition(first.position());
            range.setPosition(after.position(), QTextCursor::KeepAnchor);
        } else {
            // The lines run to the end of the view: the line break before them goes with them.
            range.setPosition(index > 0 ? first.position() - 1 : 0);
            range.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        }
        range.removeSelectedText();
    }

  private:
    QTextDocument* doc_;
    QString block_text_;  // the same block goes everywhere, so its text is made once
};

}  // namespace

namespace {

/// The lines of a line view seen as RulerLines. The ruler works from the last line up, so every index it
/// names is an index of the lines as they were; the edits are gathered and made in one pass at the end.
class GatheredLines : public RulerLines {
  public:
    explicit GatheredLines(const LineList& lines) : lines_(lines) {}

    std::size_t line_count() const override { return lines_.size(); }
    std::size_t longest_line() const override { return lines_.longest(); }
    void insert_block(std::size_t index, const RulerBlock& block) override {
        inserted_.push_back(index);
        block_.assign(block.begin(), block.end());
    }
    void erase_block(std::size_t index) override { erased_.push_back(index); }

    void apply(LineList& lines) const {
        if (!inserted_.empty()) lines.insert_before(inserted_, block_);
        if (!erased_.empty()) lines.erase_runs(erased_, kRulerBlockLines);
    }

  private:
    const LineList& lines_;
    std::vector<std::size_t> inserted_;
    std::vector<std::size_t> erased_;
    std::vector<std::string> block_;
};

}  // namespace

std::vector<std::string> view_lines(const LineView* box) {
    const LineList& lines = box->lines();
    std::vector<std::string> out;
    out.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) out.emplace_back(lines[i]);
    return out;
}

void set_view_ruler(LineView* box, bool on) {
    GatheredLines gathered(box->lines());
    if (on)
        insert_column_ruler(gathered);
    else
        remove_column_ruler(gathered);
    box->edit_lines([&gathered](LineList& lines) { gathered.apply(lines); });
}

void set_view_ruler(QPlainTextEdit* box, bool on) {
    DocumentLines lines(box->document());
    QTextCursor edit(box->document());
    // One edit: the box lays its lines out again once, not after every block.
    edit.beginEditBlock();
    if (on)
        insert_column_ruler(lines);
    else
        remove_column_ruler(lines);
    edit.endEditBlock();
}

}  // namespace qvr
