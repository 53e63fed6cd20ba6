#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QTest>
#include <QTimer>

#include "desktop/qt_desktop.h"

namespace qvr::test {
namespace {

// The About box's text is shorter than its caption; the window manager must not elide the caption.
TEST(MessageBox, IsWideEnoughForItsCaptionAndTheTitleBarButtons) {
    QFont title = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    title.setBold(true);
    for (BoxKind kind : {BoxKind::information, BoxKind::confirmation, BoxKind::warning, BoxKind::error,
                         BoxKind::general_error}) {
        QtDesktop desktop;
        int width = 0;
        QTimer::singleShot(0, [&width] {
            QWidget* box = QApplication::activeModalWidget();
            width = box->width();
            QTest::keyClick(box, Qt::Key_Escape);
        });
        desktop.message_box(kind, QStringLiteral("3.44 - 32 bits"), kOk);
        // An icon and three buttons take at least 80 pixels of a title bar.
        EXPECT_LE(QFontMetrics(title).horizontalAdvance(box_caption(kind)) + 80, width)
            << box_caption(kind).toStdString();
    }
}

}  // namespace
}  // namespace qvr::test
