// The windows as a user meets them: keys sent to the focused control, frames closed, boxes' captions.
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QMenu>
#include <QTextBlock>
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
    QString front() { return MainWindowTest::front()->objectName(); }
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
        for (const auto& [key, name] : switches) {
            press(key);
            QPointer<QMdiSubWindow> frame = mdi->frame_of(mdi->findChild<QWidget*>(name));
            close(frame);
            ASSERT_TRUE(frame) << how << " " << name;
            EXPECT_TRUE(frame->isMinimized()) << how << " " << name;
            for (const auto& [other, shown] : switches) {
                press(other);
                EXPECT_EQ(QString::fromLatin1(shown), front()) << how << " " << name;
            }
        }
    pick("mnu_end");
    EXPECT_EQ(1, exit_status);
    EXPECT_TRUE(file_exists(program.file("QVR32.LOG")));
}

TEST_F(UserFaultsTest, ARestoredChildGetsItsFormsSize) {
    const std::pair<QWidget*, QSize> forms[] = {{mdi->frm_gen, {700, 485}},
                                                {mdi->frm_dlm, {660, 431}},
                                                {mdi->frm_view, {722, 473}},
                                                {mdi->frm_log, {707, 494}}};
    for (const auto& [child, size] : forms) {
        mdi->frame_of(child)->showNormal();
        EXPECT_EQ(size, child->size()) << child->objectName().toStdString();
    }
}

TEST_F(UserFaultsTest, SwitchingBackGivesTheKeyboardToTheControlThatHadIt) {
    const struct {
        QKeyCombination here, away;
        const char* control;
    } cases[] = {
        {kCtrl(Qt::Key_D), kCtrl(Qt::Key_G), "grd_dlm"},
        {kCtrl(Qt::Key_G), kCtrl(Qt::Key_D), "txt_out"},
        {kCtrl(Qt::Key_L), kCtrl(Qt::Key_G), "chk_edit"},
    };
    for (const auto& c : cases) {
        press(c.here);
        find<QWidget>(c.control)->setFocus();
        for (int round = 0; round < 10; ++round) {
            press(c.away);
            press(c.here);
        }
        EXPECT_EQ(QString::fromLatin1(c.control), QApplication::focusWidget()->objectName());
    }
    EXPECT_EQ(1, mdi->frm_dlm->field_table().row_count());  // no key pressed a button
}

TEST_F(UserFaultsTest, EveryMenuShortcutWorksWhateverControlHasTheKeyboard) {
    for (const char* item : {"mnu_vwi", "mnu_wid", "mnu_wvr"}) find<QAction>(item)->setEnabled(true);
    const struct {
        QKeyCombination show;
        const char* window;
        const char* control;
        const char* typed;
    } controls[] = {{kCtrl(Qt::Key_G), "frm_gen", "txt_inp", "/in/a"},
                    {kCtrl(Qt::Key_G), "frm_gen", "chk_sort", ""},
                    {kCtrl(Qt::Key_D), "frm_dlm", "grd_dlm", "ab"},
                    {kCtrl(Qt::Key_L), "frm_log", "cmd_gen", ""}};
    const struct {
        QKeyCombination key;
        const char* front;  // the window in front after the key; empty: the one of the control
        int box = 0;        // 1: the general check's refusal, 2: the open dialog (cancelled)
        // clang-format off
    } shortcuts[] = {{kCtrl(Qt::Key_Z), ""}, {kCtrl(Qt::Key_G), "frm_gen"}, {kCtrl(Qt::Key_D), "frm_dlm"},
        {kCtrl(Qt::Key_L), "frm_log"}, {kCtrl(Qt::Key_I), "frm_view"}, {kCtrl(Qt::Key_B), "frm_dlm"},
        {kCtrl(Qt::Key_R), "frm_view"}, {Qt::Key_F2, "frm_gen", 1}, {kCtrl(Qt::Key_F12), "frm_gen", 2}};
    // clang-format on
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
            if (s.box == 1)
                desktop.expect_info(QStringLiteral("File does not exist or 'Input file' area empty."));
            if (s.box == 2) desktop.expect_open(std::nullopt);
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

TEST_F(UserFaultsTest, BoxesAndTheMainWindowCarryTheirOwnCaptions) {
    name_application();
    // A display name would be appended to every caption; the probe shows whether one is set.
    QCoreApplication::setApplicationName(QStringLiteral("probe"));
    EXPECT_EQ(QStringLiteral("probe"), QGuiApplication::applicationDisplayName());
    EXPECT_EQ(1, mdi->windowTitle().count(QStringLiteral("Quarvel"))) << mdi->windowTitle().toStdString();
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

TEST_F(UserFaultsTest, CaptionsKeepTheirSizesAndFitTheirPlaces) {
    const struct {
        const char* name;
        QWidget* window;
        int pixels;
    } captions[] = {
        {"lbl_dfl", mdi->frm_gen, 12},  {"lbl_inp", mdi->frm_gen, 12},  {"lbl_spl", mdi->frm_gen, 11},
        {"chk_trim", mdi->frm_gen, 11}, {"chk_head", mdi->frm_gen, 11}, {"chk_qck", mdi->frm_gen, 13},
        {"lbl_ctn", mdi->frm_gen, 11},  {"opt_void", mdi->frm_inp, 12}, {"opt_part", mdi->frm_inp, 12},
        {"opt_full", mdi->frm_inp, 12}, {"chk_edit", mdi->frm_log, 11},
    };
    for (const auto& c : captions) {
        QWidget* w = find<QWidget>(c.name, c.window);
        EXPECT_EQ(c.pixels, QFontInfo(w->font()).pixelSize()) << c.name;
        EXPECT_LE(w->sizeHint().width(), w->width()) << c.name;
    }
}

TEST_F(UserFaultsTest, RedExplanationsShowWhole) {
    for (auto [name, window] :
         {std::pair<const char*, QWidget*>{"mem_dlm", mdi->frm_dlm}, {"mem_expl", mdi->frm_log}}) {
        mdi->frame_of(window)->showNormal();
        auto* box = find<QPlainTextEdit>(name, window);
        for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next()) {
            QTextCursor end(block);
            end.movePosition(QTextCursor::EndOfBlock);
            const QRect at = box->cursorRect(end);
            EXPECT_LE(at.right(), box->viewport()->width()) << name << ": " << block.text().toStdString();
            EXPECT_LE(at.bottom(), box->viewport()->height()) << name << ": " << block.text().toStdString();
        }
    }
}

TEST_F(UserFaultsTest, LogPrintShowsEveryLineWholeTabsIncluded) {
    const std::string line =
        "input-file.txt\tdefinitions.tab\toutput-file.qvo\t;\tHeader\tNot sorted\tNot "
        "U.\tNo nbr.\tNo lower\tNo upper\t24/12/2024\t10:11:12";
    program.write("QVR32.LOG", line + "\r\nsecond\r\n");
    mdi.reset();
    start();
    const std::string pdf = data.file("log.pdf");
    desktop.expect_print(q(pdf));
    desktop.expect_font(FontChoice{QStringLiteral("Liberation Mono"), 12});
    desktop.expect_info(QStringLiteral("Print completed"));
    pick("mnu_lpt");
    std::string printed = command_output("pdftotext -layout '" + pdf + "' -");
    std::erase_if(printed, [](char c) { return c == ' ' || c == '\n'; });
    std::string expected = line + "second\f";
    std::erase_if(expected, [](char c) { return c == ' ' || c == '\t'; });
    EXPECT_EQ(expected, printed);
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
        std::optional<QString> saved_as;  // nothing: the save dialog cancelled, and the program stays
        int exit_status;
    } cases[] = {{kCancel, std::nullopt, -1},
                 {kYes, std::nullopt, -1},
                 {kYes, q(data.file("t.tab")), 1},
                 {kNo, std::nullopt, 1}};
    for (const auto& c : cases) {
        mdi.reset();
        start();
        mdi->frm_dlm->field_table().set_cell(FieldTable::kName, 1, "changed");
        desktop.expect_box(BoxKind::confirmation, question, kYes | kNo | kCancel, c.answer);
        if (c.answer == kYes) desktop.expect_save(c.saved_as);
        EXPECT_EQ(c.exit_status == 1, mdi->close());
        desktop.verify();
        EXPECT_EQ(c.exit_status, exit_status);
        EXPECT_EQ(c.saved_as ? "t.tab" : "", list_folder(data.path()));
        ::unlink(data.file("t.tab").c_str());
        exit_status = -1;
    }
    // Unchanged since start-up: no question.
    mdi.reset();
    start();
    pick("mnu_end");
    EXPECT_EQ(1, exit_status);
}

}  // namespace
}  // namespace qvr::test
