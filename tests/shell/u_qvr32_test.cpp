#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

/// An item as the user reads it: caption and shortcut, in brackets when disabled, in braces when hidden.
QString shown(const QAction* item) {
    const QString text = (item->text() + QLatin1Char(' ') + item->shortcut().toString()).trimmed();
    if (!item->isVisible()) return QLatin1Char('{') + text + QLatin1Char('}');
    return item->isEnabled() ? text : QLatin1Char('[') + text + QLatin1Char(']');
}

/// Each menu of the bar: its title, then its items in order.
std::vector<QString> menu_bar(QMainWindow& window) {
    std::vector<QString> menus;
    for (const QAction* menu : window.menuBar()->actions()) {
        QStringList items;
        for (const QAction* item : menu->menu()->actions()) items << shown(item);
        menus.push_back(shown(menu) + QStringLiteral(": ") + items.join(QStringLiteral(", ")));
    }
    return menus;
}

TEST_F(MainWindowTest, StartsWithCaptionMenusAndGeneralDataInFront) {
    start();
    // As in every multiple-document frame, the maximized child's caption follows the frame's own.
    EXPECT_EQ(QStringLiteral("Quarvel 3.44 - [General data]"), mdi->windowTitle());
    EXPECT_EQ(QSize(729, 519), mdi->size());
    EXPECT_EQ((std::vector<QString>{
                  "&File: &Input Ctrl+F12, [Analyse input], &Output, &Go F2, [&Extract .DBF file], E&xit",
                  "Fields &definition: New, Define / modify, Recall file, Save As..., [Detect from input], "
                  "[Check against input]",
                  "[&Result]: View, Select all, Copy, Print", "Log: View, Select all, Copy, Print, {Save}",
                  "&Window: Resize Ctrl+Z, General data Ctrl+G, Delimiter Ctrl+D, [&Input file Ctrl+I], "
                  "[Both input and delimiter Ctrl+B], [&Result Ctrl+R], View Log Ctrl+L",
                  "&Help: &Index F1, Author's web page, Quarvel home page, Mail to author, &About..."}),
              menu_bar(*mdi));
    EXPECT_TRUE(mdi->frame_of(mdi->frm_gen)->isMaximized());
    EXPECT_TRUE(mdi->frame_of(mdi->frm_dlm)->isMinimized());
    EXPECT_TRUE(mdi->frame_of(mdi->frm_view)->isMinimized());
    QMdiSubWindow* log = mdi->frame_of(mdi->frm_log);
    EXPECT_FALSE(log->isMinimized() || log->isMaximized());
    EXPECT_EQ(
        QStringLiteral("Fields definition|Previous jobs|"),
        mdi->frm_dlm->windowTitle() + "|" + mdi->frm_log->windowTitle() + "|" + mdi->frm_view->windowTitle());
    EXPECT_EQ(program.path() + "QVR32.LOG", mdi->values().log_path);
    EXPECT_EQ(q(program.path()), mdi->opdlg_file.initial_dir);
    EXPECT_EQ(q(program.path()), mdi->SVDLG_FILE.initial_dir);
}

TEST_F(MainWindowTest, WindowSwitchingMaximizesOneAndMinimizesTheOthersAndGivesItTheKeyboard) {
    start();
    QApplication::setActiveWindow(mdi.get());
    const std::pair<const char*, QWidget*> switches[] = {
        {"mnu_vde", mdi->frm_dlm}, {"mnu_log", mdi->frm_log}, {"mnu_sge", mdi->frm_gen},
        {"mnu_def", mdi->frm_dlm}, {"mnu_lvw", mdi->frm_log}, {"mnu_sge", mdi->frm_gen}};
    QWidget* children[] = {mdi->frm_gen, mdi->frm_dlm, mdi->frm_view, mdi->frm_log};
    for (const auto& [item, target] : switches) {
        pick(item);
        for (QWidget* child : children) {
            EXPECT_EQ(child == target, mdi->frame_of(child)->isMaximized()) << item;
            EXPECT_EQ(child != target, mdi->frame_of(child)->isMinimized()) << item;
        }
        EXPECT_EQ(mdi->frame_of(target), find<QMdiArea>("mdi_area")->activeSubWindow()) << item;
        EXPECT_TRUE(target->isAncestorOf(QApplication::focusWidget())) << item;
    }
}

TEST_F(MainWindowTest, OutputChoosesTheResultFile) {
    start();
    pick("mnu_vde");
    desktop.expect_save(std::nullopt);
    pick("mnu_out");
    EXPECT_EQ(QString(), box_text("txt_out"));  // Cancel changes nothing
    EXPECT_TRUE(mdi->frame_of(mdi->frm_gen)->isMaximized());
    desktop.expect_save(QStringLiteral("/data/r\u00e9sult.qvo"));
    pick("mnu_out");
    EXPECT_EQ(QStringLiteral("/data/r\u00e9sult.qvo"), box_text("txt_out"));
    EXPECT_EQ(QStringLiteral("Result file|*.qvo"), desktop.dialog_states()[1].filter);
    EXPECT_EQ(QStringLiteral("qvo"), desktop.dialog_states()[1].default_ext);
}

TEST_F(MainWindowTest, ExitAndClosingTheWindowEndWithStatusOne) {
    start();
    pick("mnu_end");
    EXPECT_EQ(1, exit_status);
    mdi.reset();
    exit_status = -1;
    start();
    mdi->close();
    EXPECT_EQ(1, exit_status);
}

// A file handed over on the command line opens as File > Input opens a chosen one, without its dialog.
TEST_F(MainWindowTest, AFileHandedOverOpensAsFileInputWould) {
    start();
    const std::string path = data.write("in.txt", "ab\r\ncd\r\n");
    mdi->frm_inp->show_modal = [this](Tfrm_inp& dialog) {
        find<QRadioButton>("opt_full", &dialog)->setChecked(true);
        find<QPushButton>("cmd_ooke", &dialog)->click();
    };
    mdi->open_input_file(path);
    EXPECT_EQ((std::vector<std::string>{"ab", "cd"}), view());
    EXPECT_EQ(q(path), box_text("txt_inp"));
    EXPECT_EQ(q(data.file("in.qvo.txt")), box_text("txt_out"));
}

}  // namespace
}  // namespace qvr::test
