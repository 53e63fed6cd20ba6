#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>

#include "desktop/focus_marks.h"

namespace qvr::test {
namespace {

// A tick box clicked with the mouse has the focus (the space bar answers it): it must show it.
TEST(TickBox, ShowsAFocusMarkWhenClicked) {
    install_focus_marks();
    QWidget window;
    auto* box = new QCheckBox(QStringLiteral("Sorted"), &window);
    box->setGeometry(10, 10, 120, 17);
    auto* other = new QLineEdit(&window);
    other->setGeometry(10, 40, 120, 20);
    window.resize(200, 80);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto click = [&](QWidget* target) {  // through the window, as a real click comes
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, target->geometry().center());
    };
    click(box);
    ASSERT_TRUE(box->hasFocus() && box->isChecked());
    const QImage focused = box->grab().toImage();
    click(other);
    ASSERT_FALSE(box->hasFocus());
    EXPECT_NE(focused, box->grab().toImage());
}

}  // namespace
}  // namespace qvr::test
