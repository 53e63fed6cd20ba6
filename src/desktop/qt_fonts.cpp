#include <QFont>

#include "desktop/fonts.h"

namespace qvr {

void install_font_stand_ins() {
    // The narrow sans runs about as wide as the Windows bitmap font, so no caption needs shrinking.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans Narrow"));
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
    QFont::insertSubstitution(QStringLiteral("Courier"), QStringLiteral("Liberation Mono"));
}

}  // namespace qvr
