#include "shell/qt_help_viewer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTextBrowser>
#include <cstdlib>

#include "shell/qt_desktop.h"
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
    // A section for every window and every menu, and the tasks a user comes for.
    const QString text = browser->toPlainText();
    EXPECT_FALSE(text.contains(QStringLiteral("<h2>")));  // shown as a document, not as its source
    for (const char* title :
         {"Quarvel 3.44 - Contents", "The General data window", "The Fields definition window",
          "The view window", "Opening input lile - Filling the input view", "The Previous jobs window",
          "The File menu", "The Fields definition menu", "The Result menu", "The Log menu", "The Window menu",
          "The Help menu", "Opening an input file", "Describing the columns", "Running an extract",
          "Exporting to dBase", "Reading the job log"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(title))) << title;

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
