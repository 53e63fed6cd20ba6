#include "desktop/qt_desktop.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QTextBrowser>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "desktop/qt_help_viewer.h"
#include "desktop/qt_line_view.h"
#include "desktop/text_box.h"
#include "support/file_faults.h"
#include "support/temp_dir.h"

namespace qvr::test {
namespace {

TEST(HelpViewer, ShowsTheHelpFileAtItsContentsInOneViewer) {
    const QString help = QString::fromLocal8Bit(std::getenv("QVR_HELP_FILE"));  // set by the test run
    auto shown = [] {
        std::vector<HelpViewer*> viewers;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* viewer = qobject_cast<HelpViewer*>(w); viewer && viewer->isVisible())
                viewers.push_back(viewer);
        return viewers;
    };
    QtDesktop desktop;
    desktop.show_help(help, QStringLiteral("Sommaire"));
    ASSERT_EQ(1u, shown().size());
    HelpViewer* viewer = shown()[0];
    EXPECT_EQ(QStringLiteral("Sommaire"), viewer->browser()->source().fragment());
    // Shown as a document, not as its source.
    EXPECT_TRUE(viewer->browser()->toPlainText().startsWith(QStringLiteral("Quarvel 3.44 - Contents")));
    desktop.show_help(help, QStringLiteral("read_log"));
    EXPECT_EQ(std::vector<HelpViewer*>{viewer}, shown());
    EXPECT_EQ(QStringLiteral("read_log"), viewer->browser()->source().fragment());
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
        {[&] { make_sparse_file(help, (16 << 20) + 1, "<html>", "</html>"); }, "It is larger than 16 MB"}};
    for (const auto& [make, reason] : cases) {
        HangGuard guard(20);
        make();
        HelpViewer viewer;
        viewer.open(QString::fromStdString(help), QStringLiteral("Sommaire"));
        EXPECT_EQ(QString::fromStdString("The help file " + help + " cannot be opened: " + reason + "."),
                  viewer.browser()->toPlainText());
        std::filesystem::remove(help);
    }
}

TEST(LineView, SelectsByShiftArrowsOrMouseCopiesAndShowsBytesThroughItsTable) {
    LineView view;
    view.resize(300, 200);
    set_lines(&view, {"abcdef", "gh", "ijklmn"});
    view.show();
    view.setFocus();
    // The middle of a character cell in the view.
    const auto cell = [&view](int line, int column) {
        const QFontMetrics metrics = view.fontMetrics();
        return QPoint(4 + column * metrics.horizontalAdvance(QLatin1Char('M')),
                      4 + line * metrics.lineSpacing() + metrics.lineSpacing() / 2);
    };
    const auto shift = Qt::ShiftModifier;
    const std::pair<std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>>, std::string> cases[] = {
        {{{Qt::Key_Right, shift}, {Qt::Key_Right, shift}}, "ab"},
        {{{Qt::Key_Right, {}}, {Qt::Key_Down, shift}}, "bcdef\ng"},
        {{{Qt::Key_End, shift}}, "abcdef"},
        {{{Qt::Key_Down, {}}, {Qt::Key_End, {}}, {Qt::Key_Right, shift}, {Qt::Key_Right, shift}}, "\ni"},
        {{{Qt::Key_End, Qt::ControlModifier}, {Qt::Key_Up, shift}, {Qt::Key_Left, shift}}, "h\nijklmn"},
        {{{Qt::Key_Right, shift}, {Qt::Key_Right, {}}}, ""},  // a move without Shift drops it
    };
    QApplication::clipboard()->setText(QStringLiteral("before"));
    for (const auto& [presses, selected] : cases) {
        QTest::keyClick(&view, Qt::Key_Home, Qt::ControlModifier);
        for (const auto& [key, modifiers] : presses) QTest::keyClick(&view, key, modifiers);
        EXPECT_EQ(QString::fromStdString(selected), view.selected_text());
        EXPECT_EQ(selected.size(), view.selection_end() - view.selection_start());
    }
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);  // nothing selected: nothing copied
    EXPECT_EQ(QStringLiteral("before"), QApplication::clipboard()->text());
    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QStringLiteral("abcdef\ngh\nijklmn"), QApplication::clipboard()->text());
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, cell(0, 2));
    QTest::mouseMove(view.viewport(), cell(2, 1));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, cell(2, 1));
    EXPECT_EQ(QStringLiteral("cdef\ngh\ni"), view.selected_text());
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ShiftModifier, cell(1, 1));
    EXPECT_EQ(QStringLiteral("cdef\ng"), view.selected_text());
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cell(1, 1));
    EXPECT_EQ(QString(), view.selected_text());
    static LineView::CharTable stars = common_char_table();  // the view keeps a pointer to it
    stars[0] = u'*';
    set_lines(&view, {std::string("a\0\xe9", 3), ""});
    view.set_char_table(&stars);
    EXPECT_EQ(QStringLiteral(u"a*\u00e9\n"), view.toPlainText());
    view.setPlainText(QStringLiteral(u"x*\u00e9\ny"));
    EXPECT_EQ((std::vector<std::string>{std::string("x\0\xe9", 3), "y"}), all_lines(&view));
    EXPECT_EQ(2, line_count(&view));
}

}  // namespace
}  // namespace qvr::test
