#include <QApplication>
#include <QMenu>

#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

TEST_F(MainWindowTest, StartsWithItsVersionGeneralDataInFrontAndTheResultMenuOff) {
    start();
    // As in every multiple-document frame, the maximized child's caption follows the frame's own.
    EXPECT_EQ(QStringLiteral("Quarvel 3.44 - [General data]"), mdi->windowTitle());
    EXPECT_EQ(QSize(729, 519), mdi->size());
    EXPECT_FALSE(find<QMenu>("pdn_res")->menuAction()->isEnabled());
    EXPECT_FALSE(find<QAction>("mnu_lsv")->isVisible());
    EXPECT_TRUE(mdi->frame_of(mdi->frm_gen)->isMaximized());
    EXPECT_TRUE(mdi->frame_of(mdi->frm_dlm)->isMinimized() && mdi->frame_of(mdi->frm_view)->isMinimized());
    QMdiSubWindow* log = mdi->frame_of(mdi->frm_log);
    EXPECT_FALSE(log->isMinimized() || log->isMaximized());
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
        EXPECT_EQ(target, front()) << item;
        EXPECT_TRUE(target->isAncestorOf(QApplication::focusWidget())) << item;
    }
}

TEST_F(MainWindowTest, OutputChoosesTheResultFileAndAFileHandedOverOpensAsFileInputWould) {
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
    // From the command line: File > Input without its dialog, and the result's name made anew.
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
