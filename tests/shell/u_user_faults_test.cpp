// The windows as a user meets them: keys sent to the focused control, frames closed, boxes' captions.
#include <QApplication>
#include <QFileDialog>
#include <QMdiArea>
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
        {"Ctrl+W", [this](QMdiSubWindow*) { press(kCtrl(Qt::Key_W)); }}};
    const std::pair<QKeyCombination, const char*> switches[] = {
        {kCtrl(Qt::Key_D), "frm_dlm"}, {kCtrl(Qt::Key_L), "frm_log"}, {kCtrl(Qt::Key_G), "frm_gen"}};
    for (const auto& [how, close] : closings)
        for (const auto& [key, name] : switches) {
            press(key);
            QPointer<QMdiSubWindow> frame = mdi->frame_of(mdi->findChild<QWidget*>(name));
            close(frame);
            ASSERT_TRUE(frame && frame->isMinimized()) << how << " " << name;
            for (const auto& [other, shown] : switches) {
                press(other);
                EXPECT_EQ(QString::fromLatin1(shown), front()) << how << " " << name;
            }
        }
    pick("mnu_end");  // unchanged since start-up: no question
    EXPECT_EQ(1, exit_status);
    EXPECT_TRUE(file_exists(program.file("QVR32.LOG")));
}

// Restored, each child gets its form's size, which the main window's default size holds whole (a button
// cut at the right edge is out of reach), and its red explanation (if any) shows whole in it.
TEST_F(UserFaultsTest, ARestoredChildGetsItsFormsSizeAndShowsItsRedTextWhole) {
    const std::tuple<QWidget*, QSize, const char*> forms[] = {{mdi->frm_gen, {700, 485}, nullptr},
                                                              {mdi->frm_dlm, {725, 431}, "mem_dlm"},
                                                              {mdi->frm_view, {722, 473}, nullptr},
                                                              {mdi->frm_log, {707, 494}, "mem_expl"}};
    for (const auto& [child, size, red] : forms) {
        mdi->frame_of(child)->showNormal();
        EXPECT_EQ(size, child->size()) << child->objectName().toStdString();
        EXPECT_LE(size.width(), mdi->findChild<QMdiArea*>()->viewport()->width())
            << child->objectName().toStdString();
        auto* box = red ? find<QPlainTextEdit>(red, child) : nullptr;
        for (QTextBlock block = box ? box->document()->begin() : QTextBlock(); block.isValid();
             block = block.next()) {
            QTextCursor end(block);
            end.movePosition(QTextCursor::EndOfBlock);
            const QRect at = box->cursorRect(end);
            EXPECT_TRUE(at.right() <= box->viewport()->width() && at.bottom() <= box->viewport()->height())
                << red << ": " << block.text().toStdString();
        }
    }
}

TEST_F(UserFaultsTest, SwitchingBackGivesTheKeyboardToTheControlThatHadIt) {
    const std::tuple<QKeyCombination, QKeyCombination, const char*> cases[] = {
        {kCtrl(Qt::Key_D), kCtrl(Qt::Key_G), "grd_dlm"},
        {kCtrl(Qt::Key_G), kCtrl(Qt::Key_D), "txt_out"},
        {kCtrl(Qt::Key_L), kCtrl(Qt::Key_G), "chk_edit"}};
    for (const auto& [here, away, control] : cases) {
        press(here);
        find<QWidget>(control)->setFocus();
        for (int round = 0; round < 10; ++round) {
            press(away);
            press(here);
        }
        EXPECT_EQ(QString::fromLatin1(control), QApplication::focusWidget()->objectName());
    }
    EXPECT_EQ(1, mdi->frm_dlm->field_table().row_count());  // no key pressed a button
}

TEST_F(UserFaultsTest, EveryMenuShortcutWorksWhateverControlHasTheKeyboard) {
    for (const char* item : {"mnu_vwi", "mnu_wid", "mnu_wvr"}) find<QAction>(item)->setEnabled(true);
    const struct {
        QKeyCombination show;
        const char *window, *control, *typed;
    } controls[] = {{kCtrl(Qt::Key_G), "frm_gen", "txt_inp", "/in/a"},
                    {kCtrl(Qt::Key_G), "frm_gen", "chk_sort", ""},
                    {kCtrl(Qt::Key_D), "frm_dlm", "grd_dlm", "ab"},
                    {kCtrl(Qt::Key_L), "frm_log", "cmd_gen", ""}};
    const struct {
        QKeyCombination key;
        const char* front;  // the window in front after the key; empty: the one of the control
        int box = 0;        // 1: the general check's refusal, 2: the open dialog (cancelled), 3: the help
        // clang-format off
    } shortcuts[] = {{kCtrl(Qt::Key_Z), ""}, {kCtrl(Qt::Key_G), "frm_gen"}, {kCtrl(Qt::Key_D), "frm_dlm"},
        {kCtrl(Qt::Key_L), "frm_log"}, {kCtrl(Qt::Key_I), "frm_view"}, {kCtrl(Qt::Key_B), "frm_dlm"},
        {kCtrl(Qt::Key_R), "frm_view"}, {Qt::Key_F2, "frm_gen", 1}, {kCtrl(Qt::Key_F12), "frm_gen", 2},
        {Qt::Key_F1, "", 3}};
    // clang-format on
    for (const auto& c : controls)
        for (const auto& s : shortcuts) {
            SCOPED_TRACE(c.control + (" " + QKeySequence(s.key).toString().toStdString()));
            press(c.show);
            QWidget* control = find<QWidget>(c.control, mdi->findChild<QWidget*>(c.window));
            control->setFocus();
            QTest::keyClicks(control, c.typed);
            if (auto* box = qobject_cast<QLineEdit*>(control)) box->setText(c.typed);  // F2 reads it
            mdi->resize(800, 600);
            if (s.box == 1)
                desktop.expect_info(QStringLiteral("File does not exist or 'Input file' area empty."));
            if (s.box == 2) desktop.expect_open(std::nullopt);
            if (s.box == 3) desktop.expect_help(q(program.file("QVR32.HLP")), QStringLiteral("Sommaire"));
            press(s.key);
            desktop.verify();
            EXPECT_EQ(QString::fromLatin1(*s.front ? s.front : c.window), front());
            EXPECT_TRUE(s.key != kCtrl(Qt::Key_Z) || mdi->size() == QSize(729, 519));
            if (auto* box = qobject_cast<QLineEdit*>(control)) {
                EXPECT_EQ(QString(c.typed), box->text());
            }
        }
    // Typed letters reached the grid's name cell, and no Ctrl key added to it.
    EXPECT_EQ("1st fieldabababababababababab", mdi->frm_dlm->field_table().cell(0, 1));
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

TEST_F(UserFaultsTest, CaptionsAreTheirOwnKeepTheirSizesAndFitTheirPlaces) {
    name_application();
    // A display name would be appended to every caption; the probe shows whether one is set.
    QCoreApplication::setApplicationName(QStringLiteral("probe"));
    EXPECT_EQ(QStringLiteral("probe"), QGuiApplication::applicationDisplayName());
    EXPECT_EQ(1, mdi->windowTitle().count(QStringLiteral("Quarvel"))) << mdi->windowTitle().toStdString();
    const std::tuple<const char*, QWidget*, int> captions[] = {
        {"lbl_dfl", mdi->frm_gen, 12},  {"lbl_inp", mdi->frm_gen, 12},  {"lbl_spl", mdi->frm_gen, 11},
        {"chk_trim", mdi->frm_gen, 11}, {"chk_head", mdi->frm_gen, 11}, {"chk_qck", mdi->frm_gen, 13},
        {"lbl_ctn", mdi->frm_gen, 11},  {"opt_void", mdi->frm_inp, 12}, {"opt_part", mdi->frm_inp, 12},
        {"opt_full", mdi->frm_inp, 12}, {"chk_edit", mdi->frm_log, 11}};
    for (const auto& [name, window, pixels] : captions) {
        QWidget* w = find<QWidget>(name, window);
        EXPECT_EQ(pixels, QFontInfo(w->font()).pixelSize()) << name;
        EXPECT_LE(w->sizeHint().width(), w->width()) << name;
    }
}

TEST_F(UserFaultsTest, LogPrintShowsEveryLineWholeTabsIncluded) {
    const std::string line =
        "input-file.txt\tdefinitions.tab\toutput-file.qvo\t;\tHeader\tNot sorted\tNot "
        "U.\tNo nbr.\tNo lower\tNo upper\t24/12/2024\t10:11:12";
    mdi->frm_log->job_log_view()->setPlainText(q(line + "\nsecond"));
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
    const std::string folder = make_folder(data.file("folder")), input = data.write("in.txt", "abc\r\n");
    const std::tuple<std::string, std::string, const char*> cases[] = {
        {folder, data.file("out.txt"), "File does not exist or 'Input file' area empty."},
        {input, folder, "'Output file' is a folder: please give a file name."}};
    for (const auto& [in, out, text] : cases) {
        mdi->frm_gen->set_input_path(in);
        mdi->frm_gen->set_output_path(out);
        desktop.expect_info(q(text));
        pick("mnu_go");
    }
    EXPECT_EQ("folder in.txt", list_folder(data.path()));
}

TEST_F(UserFaultsTest, ExitWithAChangedFieldTableOffersToSaveIt) {
    // The answer, the file chosen in the save dialog (nothing: cancelled, and the program stays), the exit.
    const std::tuple<BoxButton, std::optional<QString>, int> cases[] = {{kCancel, std::nullopt, -1},
                                                                        {kYes, std::nullopt, -1},
                                                                        {kYes, q(data.file("t.tab")), 1},
                                                                        {kNo, std::nullopt, 1}};
    for (const auto& [answer, saved_as, status] : cases) {
        mdi.reset();
        start();
        mdi->frm_dlm->field_table().set_cell(FieldTable::kName, 1, "changed");
        desktop.expect_box(BoxKind::confirmation,
                           QStringLiteral("The fields definition has been modified. Save it before leaving?"),
                           kYes | kNo | kCancel, answer);
        if (answer == kYes) desktop.expect_save(saved_as);
        EXPECT_EQ(status == 1, mdi->close());
        desktop.verify();
        EXPECT_EQ(status, exit_status);
        EXPECT_EQ(saved_as ? "t.tab" : "", list_folder(data.path()));
        ::unlink(data.file("t.tab").c_str());
        exit_status = -1;
    }
}

}  // namespace
}  // namespace qvr::test
