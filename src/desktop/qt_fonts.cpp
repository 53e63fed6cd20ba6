#include <QCheckBox>
#include <QFont>
#include <QLabel>

#include "desktop/fonts.h"

namespace qvr {

void install_font_stand_ins() {
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
    QFont::insertSubstitution(QStringLiteral("Courier"), QStringLiteral("Liberation Mono"));
}

namespace {
void fit(QWidget* w) {
    QFont font = w->font();
    int pixels = font.pixelSize() > 0 ? font.pixelSize() : qRound(font.pointSizeF() * 96.0 / 72.0);
    while (w->sizeHint().width() > w->width() && pixels > 9) {
        font.setPixelSize(--pixels);
        w->setFont(font);
    }
}
}  // namespace

void fit_captions(QWidget* parent) {
    for (QLabel* label : parent->findChildren<QLabel*>())
        if (!label->text().isEmpty()) fit(label);
    for (QCheckBox* box : parent->findChildren<QCheckBox*>()) fit(box);
}

}  // namespace qvr
