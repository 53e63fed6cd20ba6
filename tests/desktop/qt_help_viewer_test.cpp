#include "desktop/qt_help_viewer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTextBrowser>
#include <cstdlib>

#include "desktop/qt_desktop.h"
#include "support/scripted_desktop.h"
#include "support/temp_dir.h"

namespace qvr::test {
namespace {

QString shipped_help_file() {
    const char* file = std::getenv("QVR_HELP_FILE");
    return QString::fromLocal8Bit(file ? file : "src/shell/QVR32.HLP");
}

HelpViewer* shown_viewer() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* viewer = qobject_cast<HelpViewer*>(w); viewer && viewer->isVisible()) return viewer;
    return nullptr;
}

TEST(HelpViewer, ShowsTheHelpFileAtItsContents) {
    QtDesktop desktop;
    desktop.show_help(shipped_help_file(), QStringLiteral("Sommaire"));
    HelpViewer* viewer = shown_viewer();
    ASSERT_NE(nullptr, viewer);
    QTextBrowser* browser = viewer->browser();
    EXPECT_EQ(QStringLiteral("Sommaire"), browser->source().fragment());
    EXPECT_EQ(QStringLiteral("Quarvel help"), viewer->windowTitle());
    // Shown as a document, not as its source.
    EXPECT_TRUE(browser->toPlainText().startsWith(QStringLiteral("Quarvel 3.44 - Contents")));

    // A second request reuses the same viewer.
    desktop.show_help(shipped_help_file(), QStringLiteral("read_log"));
    EXPECT_EQ(viewer, shown_viewer());
    EXPECT_EQ(QStringLiteral("read_log"), browser->source().fragment());
    viewer->close();
    delete viewer;
}

TEST(HelpViewer, ReportsAMissingHelpFileItself) {
    TempDir dir;
    const QString missing = QString::fromStdString(dir.file("QVR32.HLP"));
    HelpViewer viewer;
    viewer.open(missing, QStringLiteral("Sommaire"));
    EXPECT_EQ(QStringLiteral("The help file %1 cannot be opened: No such file or directory.").arg(missing),
              viewer.browser()->toPlainText());
}

}  // namespace
}  // namespace qvr::test
