#include "desktop/qt_help_viewer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTextBrowser>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "desktop/qt_desktop.h"
#include "support/file_faults.h"
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

// Only a regular file of a help file's size is read: a pipe would wait for ever, /dev/zero never ends.
TEST(HelpViewer, ReportsAHelpFileItCannotReadItself) {
    TempDir dir;
    const std::string help = dir.file("QVR32.HLP");
    const std::pair<std::function<void()>, const char*> cases[] = {
        {[] {}, "No such file or directory"},
        {[&] { make_fifo(help); }, "It is not a regular file"},
        {[&] { make_link(help, "/dev/zero"); }, "It is not a regular file"},
        {[&] { make_sparse_file(help, (16 << 20) + 1, "<html>", "</html>"); }, "It is larger than 16 MB"},
    };
    for (const auto& [make, reason] : cases) {
        HangGuard guard(20);
        make();
        HelpViewer viewer;
        viewer.open(QString::fromStdString(help), QStringLiteral("Sommaire"));
        EXPECT_EQ(QStringLiteral("The help file %1 cannot be opened: %2.")
                      .arg(QString::fromStdString(help), QString::fromLatin1(reason)),
                  viewer.browser()->toPlainText());
        std::filesystem::remove(help);
    }
}

}  // namespace
}  // namespace qvr::test
