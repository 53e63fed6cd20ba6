#include "common/char_map.h"
#include "common/utf8_chars.h"
#include "desktop/widget_text.h"

namespace qvr {

QString to_widget_text(std::string_view bytes) {
    QString out(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* data = out.data();
    for (std::size_t i = 0; i < bytes.size(); ++i)
        data[i] = QChar(byte_to_char(static_cast<unsigned char>(bytes[i])));
    return out;
}

QString to_widget_text(std::string_view bytes, TextEncoding encoding) {
    if (encoding != TextEncoding::utf8 || !has_high_byte(bytes)) return to_widget_text(bytes);
    std::u16string out;
    const char* const end = bytes.data() + bytes.size();
    for (const char* p = bytes.data(); p < end;) {
        const std::size_t size = utf8_char_size(p, end);
        const long cp = utf8_code_point(p, size);
        if (cp < 0)
            out += u'\uFFFD';
        else
            append_utf16(static_cast<char32_t>(cp), out);
        p += size;
    }
    return QString::fromStdU16String(out);
}

std::string from_widget_text(const QString& text) {
    std::string out(static_cast<std::size_t>(text.size()), '\0');
    const QChar* data = text.constData();
    for (qsizetype i = 0; i < text.size(); ++i) {
        int b = char_to_byte(data[i].unicode());
        out[static_cast<std::size_t>(i)] = b < 0 ? '?' : static_cast<char>(b);
    }
    return out;
}

}  // namespace qvr
