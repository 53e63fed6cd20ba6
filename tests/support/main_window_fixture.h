#pragma once

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/qt_line_view.h"
#include "desktop/widget_text.h"
#include "engine/u_gen.h"
#include "fields/u_dlm.h"
#include "input/u_inp.h"
#include "input/u_view.h"
#include "shell/u_log.h"
#include "shell/u_qvr32.h"
#include "support/memory_limit.h"
#include "support/scripted_desktop.h"
#include "support/temp_dir.h"

namespace qvr::test {

inline QString q(const std::string& text) { return QString::fromStdString(text); }

/// What `command` writes to its standard output.
inline std::string command_output(const std::string& command) {
    std::string text;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) text.append(buf, n);
        ::pclose(p);
    }
    return text;
}

using Rows = std::vector<FieldTable::Row>;

/// A test that starts the whole program window in a fresh program folder with the scripted desktop.
class MainWindowTest : public ::testing::Test {
  protected:
    /// Starts the program; files put into `program` before (QVR32.CFG, QVR32.LOG) are read as at a start.
    void start() { start_on(desktop); }
    /// The same on another desktop layer: the real one, whose boxes a test answers with keys.
    void start_on(Desktop& boxes) {
        mdi = std::make_unique<Tmdi_qvr>(boxes, program.path(), memory);
        QObject::connect(mdi.get(), &Tmdi_qvr::program_ended, [this](int status) { exit_status = status; });
        mdi->show();
    }

    void TearDown() override {
        mdi.reset();
        desktop.verify();
    }

    /// The child of `parent` (the main window by default) named `name`; fails the test when missing.
    template <class T>
    T* find(const char* name, QObject* parent = nullptr) {
        T* found = (parent ? parent : mdi.get())->findChild<T*>(QString::fromLatin1(name));
        if (!found) ADD_FAILURE() << "no " << name;
        return found;
    }

    /// Picks a menu item, as a click or its shortcut would.
    void pick(const char* menu_item) {
        QAction* action = find<QAction>(menu_item);
        ASSERT_TRUE(action->isEnabled()) << menu_item << " is disabled";
        action->trigger();
    }

    // The controls of every window, by name, as the user reads and fills them.
    void set_text(const char* box, const std::string& text) { find<QLineEdit>(box)->setText(q(text)); }
    QString box_text(const char* name) { return find<QLineEdit>(name)->text(); }
    void tick(const char* box, bool on) { find<QCheckBox>(box)->setChecked(on); }
    QString label(const char* name) { return find<QLabel>(name)->text(); }
    bool enabled(const char* item) { return find<QAction>(item)->isEnabled(); }
    /// What a run leaves, as 0/1: Result menu, Result > View, dBase export; gauge shown, busy cursor.
    std::string traces() {
        std::string s;
        for (bool on :
             {find<QMenu>("pdn_res")->menuAction()->isEnabled(), enabled("mnu_wvr"), enabled("mnu_dbf"),
              find<QProgressBar>("gge_run")->isVisible(), QApplication::overrideCursor() != nullptr})
            s += on ? '1' : '0';
        return s.insert(3, " ");
    }
    /// The child window in front.
    QWidget* front() { return find<QMdiArea>("mdi_area")->activeSubWindow()->widget(); }

    /// Lines "<prefix>1" ... "<prefix><count>", each ended by CR LF; in a file of the data folder.
    static std::string numbered_text(int count, const std::string& prefix = "line ") {
        std::string bytes;
        for (int i = 1; i <= count; ++i) bytes += prefix + std::to_string(i) + "\r\n";
        return bytes;
    }
    std::string numbered_file(const char* name, int count, const std::string& prefix = "line ") {
        return data.write(name, numbered_text(count, prefix));
    }
    /// The field table's rows, as a recalled file would set them.
    void set_rows(const Rows& rows) { mdi->frm_dlm->field_table().assign_rows(rows); }

    /// File > "&Input" on `path`, the filling-mode dialog answered with `mode` and `number`, then OK.
    void open_input(const std::string& path, const char* mode = "opt_part", const QString& number = "100") {
        mdi->frm_inp->show_modal = [this, mode, number](Tfrm_inp& dialog) {
            find<QRadioButton>(mode, &dialog)->setChecked(true);
            find<QLineEdit>("txt_part", &dialog)->setText(number);
            find<QPushButton>("cmd_ooke", &dialog)->click();
        };
        desktop.expect_open(q(path));
        pick("mnu_inp");
    }
    /// The input view's lines.
    std::vector<std::string> view() const { return mdi->frm_view->input_lines(); }

    TempDir program;
    TempDir data;
    MemoryLimit memory;
    ScriptedDesktop desktop;
    std::unique_ptr<Tmdi_qvr> mdi;
    int exit_status = -1;
};

/// The same, started.
class StartedTest : public MainWindowTest {
  protected:
    void SetUp() override { start(); }
};

/// The program started with the Fields definition window in front, and the ways a user works in it.
class FieldsWindowTest : public MainWindowTest {
  protected:
    void SetUp() override {
        start();
        pick("mnu_vde");
    }

    QTableView* grid() { return find<QTableView>("grd_dlm", mdi->frm_dlm); }
    QPushButton* button(const char* name) { return find<QPushButton>(name, mdi->frm_dlm); }
    void press(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    /// The file label of this window and the definition file of the General data window, as "a | b".
    QString labels() { return find<QLabel>("lbl_dlm", mdi->frm_dlm)->text() + " | " + box_text("txt_flm"); }

    /// The rows as the grid shows them.
    Rows shown() {
        QAbstractItemModel* model = grid()->model();
        Rows rows(static_cast<std::size_t>(model->rowCount()));
        for (int row = 0; row < model->rowCount(); ++row)
            for (int column = 0; column < FieldTable::kColumns; ++column)
                rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] =
                    from_widget_text(model->index(row, column).data().toString());
        return rows;
    }

    /// The grid's current cell as (column, data row from 1).
    std::pair<int, int> current() {
        return {grid()->currentIndex().column(), grid()->currentIndex().row() + 1};
    }

    void click_cell(int column, int row) {
        QRect place = grid()->visualRect(grid()->model()->index(row - 1, column));
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, place.center());
    }

    /// Types into the grid. Besides plain characters: \b Backspace, \r Enter, \x1b Escape, \x01 Ctrl+A,
    /// \x11 Alt+Q, '}' Right, '{' Left, '^' Up, '~' Down.
    void type(std::string_view typed) {
        const std::string_view specials = "\b\r\x1b\x01\x11}{^~";
        const QKeyCombination keys[] = {Qt::Key_Backspace,    Qt::Key_Return,      Qt::Key_Escape,
                                        Qt::CTRL | Qt::Key_A, Qt::ALT | Qt::Key_Q, Qt::Key_Right,
                                        Qt::Key_Left,         Qt::Key_Up,          Qt::Key_Down};
        for (char c : typed) {
            const std::size_t i = specials.find(c);
            if (i == std::string_view::npos) QTest::keyClick(grid(), c);
            if (i != std::string_view::npos)
                QTest::keyClick(grid(), keys[i].key(), keys[i].keyboardModifiers());
        }
    }
};

}  // namespace qvr::test
