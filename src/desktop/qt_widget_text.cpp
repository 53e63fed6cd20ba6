#include "common/char_map.h"
#include "desktop/widget_text.h"

namespace qvr {

QString to_widget_text(std::string_view bytes) {
    QString out(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* data = out.data();
    for (std::size_t i = 0; i < bytes.size(); ++i)
        data[i] = QChar(byte_to_char(static_cast<unsigned char>(bytes[i])));
    return out;
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
