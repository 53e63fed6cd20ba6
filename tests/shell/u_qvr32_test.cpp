#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

#include "engine/u_gen.h"
#include "fields/u_dlm.h"
#include "input/u_view.h"
#include "shell/u_log.h"
#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

struct MenuItem {
    const char* name;
    const char* caption;
    const char* shortcut;
    bool enabled;
    bool visible;
};

TEST_F(MainWindowTest, StartsWithCaptionMenusAndGeneralDataInFront) {
    start();
    // As in every multiple-document frame, the maximized child's caption follows the frame's own.
    EXPECT_EQ(QStringLiteral("Quarvel 3.44 - [General data]"), mdi->windowTitle());
    EXPECT_EQ(QSize(729, 519), mdi->size());
    const MenuItem items[] = {
        {"mnu_inp", "&Input", "Ctrl+F12", true, true},
        {"mnu_ana", "Analyse input", "", false, true},
        {"mnu_out", "&Output", "", true, true},
        {"mnu_go", "&Go", "F2", true, true},
        {"mnu_dbf", "&Extract .DBF file", "", false, true},
        {"mnu_end", "E&xit", "", true, true},
        {"mnu_fdn", "New", "", true, true},
        {"mnu_def", "Define / modify", "", true, true},
        {"Recall1", "Recall file", "", true, true},
        {"SaveAs1", "Save As...", "", true, true},
        {"mnu_rvw", "View", "", true, true},
        {"mnu_sel", "Select all", "", true, true},
        {"mnu_cpy", "Copy", "", true, true},
        {"mnu_pri", "Print", "", true, true},
        {"mnu_lvw", "View", "", true, true},
        {"mnu_lsa", "Select all", "", true, true},
        {"mnu_lcp", "Copy", "", true, true},
        {"mnu_lpt", "Print", "", true, true},
        {"mnu_lsv", "Save", "", false, false},  // a hidden action reports itself disabled
        {"Resize1", "Resize", "Ctrl+Z", true, true},
        {"mnu_sge", "General data", "Ctrl+G", true, true},
        {"mnu_vde", "Delimiter", "Ctrl+D", true, true},
        {"mnu_vwi", "&Input file", "Ctrl+I", false, true},
        {"mnu_wid", "Both input and delimiter", "Ctrl+B", false, true},
        {"mnu_wvr", "&Result", "Ctrl+R", false, true},
        {"mnu_log", "View Log", "Ctrl+L", true, true},
        {"mnu_idx", "&Index", "F1", true, true},
        {"mnu_web", "Author's web page", "", true, true},
        {"mnu_wmc", "Quarvel home page", "", true, true},
        {"mnu_mail", "Mail to author", "", true, true},
        {"mnu_abt", "&About...", "", true, true},
    };
    for (const MenuItem& item : items) {
        QAction* action = find<QAction>(item.name);
        ASSERT_NE(nullptr, action);
        EXPECT_EQ(QString::fromLatin1(item.caption), action->text()) << item.name;
        EXPECT_EQ(QString::fromLatin1(item.shortcut), action->shortcut().toString()) << item.name;
        EXPECT_EQ(item.enabled, action->isEnabled()) << item.name;
        EXPECT_EQ(item.visible, action->isVisible()) << item.name;
    }
    const std::pair<const char*, const char*> menus[] = {
        {"pdn_file", "&File"},  {"pdn_dlm", "Fields &definition"},
        {"pdn_res", "&Result"}, {"pdn_log", "Log"},
        {"pdn_vue", "&Window"}, {"pdn_hlp", "&Help"},
    };
    for (const auto& [name, title] : menus) EXPECT_EQ(QString::fromLatin1(title), find<QMenu>(name)->title());
    EXPECT_FALSE(find<QMenu>("pdn_res")->menuAction()->isEnabled());

    EXPECT_TRUE(mdi->frame_of(mdi->frm_gen)->isMaximized());
    EXPECT_EQ(mdi->frame_of(mdi->frm_gen), find<QMdiArea>("mdi_area")->activeSubWindow());
    EXPECT_TRUE(mdi->frame_of(mdi->frm_dlm)->isMinimized());
    EXPECT_TRUE(mdi->frame_of(mdi->frm_view)->isMinimized());
    QMdiSubWindow* log = mdi->frame_of(mdi->frm_log);
    EXPECT_FALSE(log->isMinimized() || log->isMaximized());
    EXPECT_EQ(QStringLiteral("General data"), mdi->frm_gen->windowTitle());
    EXPECT_EQ(QStringLiteral("Fields definition"), mdi->frm_dlm->windowTitle());
    EXPECT_EQ(QStringLiteral("Previous jobs"), mdi->frm_log->windowTitle());
    EXPECT_EQ(QString(), mdi->frm_view->windowTitle());
    EXPECT_EQ(program.path() + "QVR32.LOG", mdi->values().log_path);
    EXPECT_EQ(QString::fromStdString(program.path()), mdi->opdlg_file.initial_dir);
    EXPECT_EQ(QString::fromStdString(program.path()), mdi->SVDLG_FILE.initial_dir);
    EXPECT_EQ(QStringLiteral("Text file|*.txt"), mdi->opdlg_file.filter);
}

TEST_F(MainWindowTest, WindowSwitchingMaximizesOneAndMinimizesTheOthers) {
    start();
    const std::pair<const char*, QWidget*> switches[] = {
        {"mnu_vde", mdi->frm_dlm}, {"mnu_log", mdi->frm_log}, {"mnu_sge", mdi->frm_gen},
        {"mnu_def", mdi->frm_dlm}, {"mnu_lvw", mdi->frm_log}, {"mnu_sge", mdi->frm_gen},
    };
    const QWidget* children[] = {mdi->frm_gen, mdi->frm_dlm, mdi->frm_view, mdi->frm_log};
    for (const auto& [item, target] : switches) {
        pick(item);
        for (const QWidget* child : children) {
            QMdiSubWindow* frame = mdi->frame_of(const_cast<QWidget*>(child));
            EXPECT_EQ(child == target, frame->isMaximized())
                << item << " " << child->objectName().toStdString();
            EXPECT_EQ(child != target, frame->isMinimized())
                << item << " " << child->objectName().toStdString();
        }
        EXPECT_EQ(mdi->frame_of(target), find<QMdiArea>("mdi_area")->activeSubWindow()) << item;
    }
}

TEST_F(MainWindowTest, TheWindowInFrontTakesTheKeyboard) {
    start();
    QApplication::setActiveWindow(mdi.get());
    const std::pair<const char*, QWidget*> switches[] = {{"mnu_vde", mdi->frm_dlm},
                                                         {"mnu_sge", mdi->frm_gen}};
    for (const auto& [item, target] : switches) {
        pick(item);
        EXPECT_TRUE(target->isAncestorOf(QApplication::focusWidget())) << item;
    }
}

TEST_F(MainWindowTest, ResizeRestoresTheStartSizeAtTheSamePlace) {
    start();
    mdi->move(40, 30);
    mdi->resize(1000, 700);
    QPoint place = mdi->pos();
    pick("Resize1");
    EXPECT_EQ(QSize(729, 519), mdi->size());
    EXPECT_EQ(place, mdi->pos());
}

TEST_F(MainWindowTest, OutputChoosesTheResultFile) {
    start();
    pick("mnu_vde");
    desktop.expect_save(std::nullopt);
    pick("mnu_out");
    EXPECT_EQ(QString(), find<QLineEdit>("txt_out")->text());  // Cancel changes nothing
    EXPECT_TRUE(mdi->frame_of(mdi->frm_gen)->isMaximized());
    desktop.expect_save(QStringLiteral("/data/r\u00e9sult.qvo"));
    pick("mnu_out");
    EXPECT_EQ(QStringLiteral("/data/r\u00e9sult.qvo"), find<QLineEdit>("txt_out")->text());
    ASSERT_EQ(2u, desktop.dialog_states().size());
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

TEST_F(MainWindowTest, UnreadableConfigurationIsReportedAndStartUpGoesOn) {
    // A folder where the configuration file should be cannot be read as a file.
    ASSERT_EQ(0, ::mkdir(program.file("QVR32.CFG").c_str(), 0755));
    desktop.expect_general_error(
        QString::fromStdString("Cannot open file " + program.file("QVR32.CFG") + ". Is a directory."));
    start();
    EXPECT_TRUE(mdi->windowTitle().startsWith(QStringLiteral("Quarvel 3.44")));
    EXPECT_EQ(program.path() + "QVR32.LOG", mdi->values().log_path);
}

}  // namespace
}  // namespace qvr::test
