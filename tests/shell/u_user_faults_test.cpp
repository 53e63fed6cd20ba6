// The windows as a user meets them: keys sent to the focused control, frames closed, boxes' captions.
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include "common/file_names.h"
#include "desktop/qt_desktop.h"
#include "support/file_faults.h"
#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

class UserFaultsTest : public MainWindowTest {
  protected:
    void SetUp() override {
        start();
        mdi->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(mdi.get()));
    }
    /// A key as the user presses it: to whatever control has the keyboard.
    void press(QKeyCombination key) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(nullptr, focus);
        QTest::keyClick(focus, key.key(), key.keyboardModifiers());
    }
    QString front() {
        return mdi->frame_of(mdi->frm_gen)->mdiArea()->activeSubWindow()->widget()->objectName();
    }
};

constexpr QKeyCombination kCtrl(Qt::Key key) { return QKeyCombination(Qt::ControlModifier, key); }

TEST_F(UserFaultsTest, ClosingAChildMinimizesItAndEveryWindowCommandAndExitWorkAfter) {
    const std::pair<const char*, std::function<void(QMdiSubWindow*)>> closings[] = {
        {"frame", [](QMdiSubWindow* f) { f->close(); }},
        {"system menu", [](QMdiSubWindow* f) { f->systemMenu()->actions().last()->trigger(); }},
        {"Ctrl+W", [this](QMdiSubWindow*) { press(kCtrl(Qt::Key_W)); }},
    };
    const std::pair<QKeyCombination, const char*> switches[] = {
        {kCtrl(Qt::Key_D), "frm_dlm"}, {kCtrl(Qt::Key_L), "frm_log"}, {kCtrl(Qt::Key_G), "frm_gen"}};
    for (const auto& [how, close] : closings)
        for (QWidget* child : {static_cast<QWidget*>(mdi->frm_gen), static_cast<QWidget*>(mdi->frm_dlm),
                               static_cast<QWidget*>(mdi->frm_log)}) {
            const QString name = child->objectName();
            press(name == "frm_gen"   ? kCtrl(Qt::Key_G)
                  : name == "frm_dlm" ? kCtrl(Qt::Key_D)
                                      : kCtrl(Qt::Key_L));
            QPointer<QMdiSubWindow> frame = mdi->frame_of(child);
            close(frame);
            ASSERT_TRUE(frame) << how << " " << name.toStdString();
            EXPECT_TRUE(frame->isMinimized()) << how << " " << name.toStdString();
            for (const auto& [key, shown] : switches) {
                press(key);
                EXPECT_EQ(QString::fromLatin1(shown), front()) << how << " " << name.toStdString();
            }
        }
    pick("mnu_end");
    EXPECT_EQ(1, exit_status);
    EXPECT_TRUE(file_exists(program.file("QVR32.LOG")));
}

TEST_F(UserFaultsTest, EveryMenuShortcutWorksWhateverControlHasTheKeyboard) {
    for (const char* item : {"mnu_vwi", "mnu_wid", "mnu_wvr"}) find<QAction>(item)->setEnabled(true);
    const struct {
        QKeyCombination show;
        const char* window;
        const char* control;
        const char* typed;
    } controls[] = {
        {kCtrl(Qt::Key_G), "frm_gen", "txt_inp", "/in/a"},
        {kCtrl(Qt::Key_D), "frm_dlm", "grd_dlm", "ab"},
    };
    const struct {
        QKeyCombination key;
        const char* front;  // the window in front after the key; empty: the one of the control
        std::function<void(ScriptedDesktop&)> boxes;
    } shortcuts[] = {
        {kCtrl(Qt::Key_Z), "", {}},
        {kCtrl(Qt::Key_G), "frm_gen", {}},
        {kCtrl(Qt::Key_D), "frm_dlm", {}},
        {kCtrl(Qt::Key_L), "frm_log", {}},
        {kCtrl(Qt::Key_I), "frm_view", {}},
        {kCtrl(Qt::Key_B), "frm_dlm", {}},
        {kCtrl(Qt::Key_R), "frm_view", {}},
        {QKeyCombination(Qt::Key_F2), "frm_gen",
         [](ScriptedDesktop& d) { d.expect_info("File does not exist or 'Input file' area empty."); }},
        {kCtrl(Qt::Key_F12), "frm_gen", [](ScriptedDesktop& d) { d.expect_open(std::nullopt); }},
    };
    for (const auto& c : controls)
        for (const auto& s : shortcuts) {
            const std::string trace =
                std::string(c.control) + " " + QKeySequence(s.key).toString().toStdString();
            press(c.show);
            QWidget* control = find<QWidget>(c.control, mdi->findChild<QWidget*>(c.window));
            control->setFocus();
            QTest::keyClicks(control, c.typed);
            if (auto* box = qobject_cast<QLineEdit*>(control)) box->setText(c.typed);  // F2 reads it
            mdi->resize(800, 600);
            if (s.boxes) s.boxes(desktop);
            press(s.key);
            desktop.verify();
            EXPECT_EQ(QString::fromLatin1(*s.front ? s.front : c.window), front()) << trace;
            if (s.key == kCtrl(Qt::Key_Z)) {
                EXPECT_EQ(QSize(729, 519), mdi->size()) << trace;
            }
            if (auto* box = qobject_cast<QLineEdit*>(control)) {
                EXPECT_EQ(QString(c.typed), box->text()) << trace;
            }
        }
    // Typed letters reached the grid's name cell, and no Ctrl key added to it.
    EXPECT_EQ("1st fieldababababababababab", mdi->frm_dlm->field_table().cell(0, 1));
}

TEST_F(UserFaultsTest, SaveAsReplacesWithoutTheDialogsOwnQuestion) {
    QtDesktop real(mdi.get());
    bool asks = true;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(nullptr, dialog);
        asks = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
        dialog->reject();
    });
    FileDialogState state{QStringLiteral("Delimiter file|*.tab"), QStringLiteral("tab"), {}, q(data.path())};
    EXPECT_FALSE(real.save_file(state));
    EXPECT_FALSE(asks);
}

TEST_F(UserFaultsTest, AFolderIsRefusedAsInputAndAsOutputBeforeAnyQuestion) {
    const std::string folder = data.file("folder");
    make_folder(folder);
    const std::string input = data.write("in.txt", "abc\r\n");
    const struct {
        std::string input, output;
        const char* text;
    } cases[] = {
        {folder, data.file("out.txt"), "File does not exist or 'Input file' area empty."},
        {input, folder, "'Output file' is a folder: please give a file name."},
    };
    for (const auto& c : cases) {
        mdi->frm_gen->set_input_path(c.input);
        mdi->frm_gen->set_output_path(c.output);
        desktop.expect_info(q(c.text));
        pick("mnu_go");
        desktop.verify();
    }
    EXPECT_EQ("folder in.txt", list_folder(data.path()));
}

TEST_F(UserFaultsTest, LogCopyWithNothingSelectedKeepsTheClipboard) {
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    pick("mnu_lcp");
    EXPECT_EQ(QStringLiteral("kept"), QGuiApplication::clipboard()->text());
}

TEST_F(UserFaultsTest, ExitWithAChangedFieldTableOffersToSaveIt) {
    const QString question =
        QStringLiteral("The fields definition has been modified. Save it before leaving?");
    const struct {
        BoxButton answer;
        std::optional<QString> saved_as;
        int exit_status;
        const char* folder;
    } cases[] = {
        {kCancel, std::nullopt, -1, ""},
        {kYes, q(data.file("t.tab")), 1, "t.tab"},
        {kNo, std::nullopt, 1, ""},
    };
    for (const auto& c : cases) {
        mdi.reset();
        start();
        mdi->frm_dlm->field_table().set_cell(FieldTable::kName, 1, "changed");
        desktop.expect_box(BoxKind::confirmation, question, kYes | kNo | kCancel, c.answer);
        if (c.answer == kYes) desktop.expect_save(c.saved_as);
        EXPECT_EQ(c.exit_status == 1, mdi->close());
        desktop.verify();
        EXPECT_EQ(c.exit_status, exit_status);
        EXPECT_EQ(c.folder, list_folder(data.path()));
        ::unlink(data.file("t.tab").c_str());
        exit_status = -1;
    }
}

}  // namespace
}  // namespace qvr::test
