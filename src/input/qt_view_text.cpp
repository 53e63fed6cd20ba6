#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <array>

#include "input/view_chars.h"
#include "input/view_text.h"

namespace qvr {

namespace {
const std::array<char16_t, 256>& view_char_table() {
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> t{};
        for (int b = 0; b < 256; ++b) t[b] = view_char(static_cast<unsigned char>(b));
        return t;
    }();
    return table;
}
}  // namespace

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

QString view_text_of(const std::vector<std::string>& lines) {
    qsizetype size = 0;
    for (const std::string& line : lines) size += static_cast<qsizetype>(line.size()) + 1;
    QString text;
    text.reserve(size);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += QLatin1Char('\n');
        append_view_chars(text, lines[i]);
    }
    return text;
}

}  // namespace qvr
