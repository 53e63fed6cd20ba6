#include <QApplication>
#include <QCheckBox>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionFocusRect>

#include "desktop/focus_marks.h"

namespace qvr {

namespace {

class FocusMarkStyle : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element == PE_FrameFocusRect && qobject_cast<const QCheckBox*>(widget)) {
            if (const auto* focus = qstyleoption_cast<const QStyleOptionFocusRect*>(option)) {
                QStyleOptionFocusRect marked = *focus;
                marked.state |= State_KeyboardFocusChange;
                QProxyStyle::drawPrimitive(element, &marked, painter, widget);
                return;
            }
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
};

}  // namespace

void install_focus_marks() {
    QStyle* current = QApplication::style();
    if (dynamic_cast<FocusMarkStyle*>(current)) return;
    // The style the user or the platform chose stays underneath.
    QApplication::setStyle(new FocusMarkStyle(QStyleFactory::create(current->name())));
}

}  // namespace qvr
