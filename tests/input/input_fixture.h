#pragma once

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <string>
#include <vector>

#include "desktop/qt_line_view.h"
#include "engine/u_gen.h"
#include "fields/u_dlm.h"
#include "input/u_inp.h"
#include "input/u_view.h"
#include "shell/u_log.h"
#include "support/main_window_fixture.h"

namespace qvr::test {

/// The program started, with a way to open an input file as the user does: the open dialog answers a
/// path and the filling-mode dialog gets its mode and number, then OK.
class InputTest : public MainWindowTest {
  protected:
    void SetUp() override { start(); }

    /// Lines "line 1" ... "line <count>", each ended by CR LF, in a file of the data folder.
    std::string numbered_file(const char* name, int count, const std::string& prefix = "line ") {
        std::string bytes;
        for (int i = 1; i <= count; ++i) bytes += prefix + std::to_string(i) + "\r\n";
        return data.write(name, bytes);
    }

    /// File > "&Input" on `path`, the filling-mode dialog answered with `mode` and `number`, then OK.
    void open_input(const std::string& path, const char* mode = "opt_part", const QString& number = "100") {
        mdi->frm_inp->show_modal = [this, mode, number](Tfrm_inp& dialog) {
            find<QRadioButton>(mode, &dialog)->setChecked(true);
            find<QLineEdit>("txt_part", &dialog)->setText(number);
            find<QPushButton>("cmd_ooke", &dialog)->click();
        };
        desktop.expect_open(QString::fromStdString(path));
        pick("mnu_inp");
    }

    std::vector<std::string> view() const { return mdi->frm_view->input_lines(); }
    QString box_text(const char* name) { return find<QLineEdit>(name)->text(); }
    bool enabled(const char* item) { return find<QAction>(item)->isEnabled(); }
};

}  // namespace qvr::test
