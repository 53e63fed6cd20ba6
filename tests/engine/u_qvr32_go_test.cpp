#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>

#include "engine/u_gen.h"
#include "fields/u_dlm.h"
#include "input/u_view.h"
#include "shell/text_box.h"
#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

const QString kKeep = QStringLiteral("Keep imput view.");
const QString kGenerated = QStringLiteral("Extract file generated");

class GoTest : public MainWindowTest {
  protected:
    void SetUp() override {
        start();
        input = data.write("in.txt", "ABCDEFGH\r\nAB\r\nXYZ12345\r\n");
        output = data.file("in.qvo.txt");
        set_text("txt_inp", input);
        set_text("txt_out", output);
        FieldTable& table = mdi->frm_dlm->field_table();
        table.set_row_count(2);
        set_row(1, " Name ", "1", "3");
        set_row(2, "Code", "4", "2");
    }

    void set_text(const char* box, const std::string& text) {
        find<QLineEdit>(box)->setText(QString::fromStdString(text));
    }
    void set_row(int row, const char* name, const char* start, const char* length) {
        FieldTable& table = mdi->frm_dlm->field_table();
        table.set_cell(FieldTable::kName, row, name);
        table.set_cell(FieldTable::kStart, row, start);
        table.set_cell(FieldTable::kLength, row, length);
    }
    void tick(const char* box, bool on) { find<QCheckBox>(box)->setChecked(on); }
    bool enabled(const char* item) { return find<QAction>(item)->isEnabled(); }
    bool result_menu_enabled() { return find<QMenu>("pdn_res")->menuAction()->isEnabled(); }
    QString label(const char* name) { return find<QLabel>(name)->text(); }
    std::vector<std::string> result_lines() { return all_lines(mdi->frm_view->result_view()); }
    QWidget* front() { return find<QMdiArea>("mdi_area")->activeSubWindow()->widget(); }

    std::string input;
    std::string output;
};

TEST_F(GoTest, StandardRunWritesShowsAndEnables) {
    set_text("txt_spl", "");
    tick("chk_nbr", true);
    desktop.expect_confirm(kKeep, kYes);
    desktop.expect_info(kGenerated);
    pick("mnu_go");
    EXPECT_EQ("Nb;Name;Code\r\n1;ABC;DE\r\n2;AB;\r\n3;XYZ;12\r\n", read_file(output));
    EXPECT_EQ((std::vector<std::string>{"Nb;Name;Code", "1;ABC;DE", "2;AB;", "3;XYZ;12"}), result_lines());
    EXPECT_EQ(QStringLiteral("0"), find<QLineEdit>("txt_spl")->text());
    EXPECT_EQ(QStringLiteral("Number of lines displayed: 4"), label("lbl_vcount"));
    EXPECT_EQ(QStringLiteral("Number of lines generated: 3"), label("lbl_vgener"));
    EXPECT_EQ(QString::fromStdString(output), label("lbl_vname"));
    EXPECT_EQ(mdi->frm_view, front());
    EXPECT_EQ(QStringLiteral("The result"), mdi->frm_view->windowTitle());
    EXPECT_EQ(true, result_menu_enabled() && enabled("mnu_wvr") && enabled("mnu_dbf"));
    EXPECT_EQ(false, find<QProgressBar>("gge_run")->isVisible());
    EXPECT_EQ(QColor(Qt::black), find<QProgressBar>("gge_run")->palette().color(QPalette::Highlight));
    EXPECT_EQ(nullptr, QApplication::overrideCursor());
    EXPECT_EQ(3, mdi->values().generated_line_count);
    EXPECT_EQ((std::vector<std::string>{"mem_inp"}), all_lines(mdi->frm_view->input_view()));
}

TEST_F(GoTest, RefusalsComeInOrderAndOnlyYesOverwrites) {
    data.write("in.qvo.txt", "old\r\n");
    struct Case {
        std::string input;
        std::string output;
        const char* start;
        QString message;
    };
    const Case cases[] = {
        {"", output, "0", QStringLiteral("File does not exist or 'Input file' area empty.")},
        {data.file("none.txt"), input, "0",
         QStringLiteral("File does not exist or 'Input file' area empty.")},
        {input, input, "0", QStringLiteral("Input and output files must be different.")},
        {input, data.file("new.txt"), "0", QStringLiteral("Please check the delimiter.")},
        {input, data.file("new.txt"), "x", QStringLiteral("Please check the delimiter.")},
    };
    for (const Case& c : cases) {
        set_text("txt_inp", c.input);
        set_text("txt_out", c.output);
        set_row(2, "Code", c.start, "2");
        mdi->show_previous_jobs();
        desktop.expect_info(c.message);
        pick("mnu_go");
        desktop.verify();
        EXPECT_EQ(mdi->frm_gen, front()) << c.message.toStdString();
    }
    // "No" to the overwrite question: nothing happens, not even the question about the input view.
    set_text("txt_out", output);
    set_row(2, "Code", "4", "2");
    desktop.expect_confirm(QStringLiteral("Result file already exists, overwrite ?"), kNo);
    pick("mnu_go");
    EXPECT_EQ("old\r\n", read_file(output));
    EXPECT_EQ((std::vector<std::string>{"mem_out"}), result_lines());
    EXPECT_EQ(false, result_menu_enabled() || enabled("mnu_wvr") || enabled("mnu_dbf"));
    EXPECT_EQ("in.qvo.txt in.txt", list_folder(data.path()));

    tick("chk_head", false);
    desktop.expect_confirm(QStringLiteral("Result file already exists, overwrite ?"), kYes);
    desktop.expect_confirm(kKeep, kYes);
    desktop.expect_info(kGenerated);
    pick("mnu_go");
    EXPECT_EQ("ABC;DE\r\nAB;\r\nXYZ;12\r\n", read_file(output));
}

TEST_F(GoTest, UniqueLeavesTheDbaseExportAsItWas) {
    tick("chk_unik", true);
    tick("chk_head", false);
    set_row(1, "Name", "1", "1");
    set_row(2, "Code", "2", "1");
    set_text("txt_ptit", "A");
    data.write("in.txt", "a1\r\nB2\r\nA1\r\n@1\r\n");
    desktop.expect_confirm(kKeep, kYes);
    desktop.expect_info(kGenerated);
    pick("mnu_go");
    EXPECT_EQ("a;1\r\nB;2\r\n", read_file(output));
    EXPECT_EQ(QStringLiteral("Number of lines generated: 3"), label("lbl_vgener"));
    EXPECT_EQ(false, enabled("mnu_dbf"));
    EXPECT_EQ(true, result_menu_enabled());
}

TEST_F(GoTest, OutOfMemoryStopsAfterTheInputViewIsEmptied) {
    mdi->values().generated_line_count = 7;
    mdi->available_memory = [] { return std::uint64_t{10}; };
    find<QAction>("mnu_vwi")->setEnabled(true);
    desktop.expect_confirm(kKeep, kNo);
    desktop.expect_info(
        QStringLiteral("Out of memory, input file too big, procedure halted.\n\r"
                       "Three solutions: do not keep the input view, close some applications, "
                       "split your input file, or try \"Fast extract\"."));
    pick("mnu_go");
    EXPECT_EQ(std::vector<std::string>{}, all_lines(mdi->frm_view->input_view()));
    EXPECT_EQ(std::vector<std::string>{}, result_lines());
    EXPECT_EQ(false, enabled("mnu_vwi") || result_menu_enabled() || enabled("mnu_dbf"));
    EXPECT_EQ("<missing>", read_file(output));
    EXPECT_EQ(7, mdi->values().generated_line_count);
    EXPECT_EQ(false, find<QProgressBar>("gge_run")->isVisible());
    EXPECT_EQ(0, mdi->frm_gen->gauge());
    EXPECT_EQ(nullptr, QApplication::overrideCursor());
    // With the input view gone, the next run asks nothing about it.
    mdi->available_memory = {};
    desktop.expect_info(kGenerated);
    pick("mnu_go");
    EXPECT_EQ(3, mdi->values().generated_line_count);
}

TEST_F(GoTest, FastRunSendsTheFirstHundredLines) {
    std::string lines;
    for (int i = 1; i <= 150; ++i) lines += "line " + std::to_string(1000 + i) + "\r\n";
    data.write("in.txt", lines);
    set_row(1, "Name", "1", "9");
    mdi->frm_dlm->field_table().set_row_count(1);
    tick("chk_qck", true);
    mdi->frm_gen->set_header(true);  // a state the window does not allow: the run clears it again
    mdi->values().input_statistics = {1, 1000};
    desktop.expect_confirm(kKeep, kYes);
    desktop.expect_info(QStringLiteral("First 100 lines sent to \"view results\" window."));
    desktop.expect_info(kGenerated);
    pick("mnu_go");
    EXPECT_EQ(lines, read_file(output));
    EXPECT_EQ(QStringLiteral("Number of lines displayed: 100"), label("lbl_vcount"));
    EXPECT_EQ(QStringLiteral("Number of lines generated: 150"), label("lbl_vgener"));
    EXPECT_EQ("line 1100", result_lines().back());
    EXPECT_EQ(false, find<QCheckBox>("chk_head")->isChecked());
    EXPECT_EQ(true, enabled("mnu_dbf"));
    EXPECT_EQ(1000, mdi->values().input_statistics.line_count);
}

TEST_F(GoTest, FastRunMeasuresAnUnmeasuredInput) {
    tick("chk_qck", true);
    desktop.expect_confirm(kKeep, kYes);
    desktop.expect_info(QStringLiteral("First 100 lines sent to \"view results\" window."));
    desktop.expect_info(kGenerated);
    pick("mnu_go");
    EXPECT_EQ(24, mdi->values().input_statistics.size);
    EXPECT_EQ(0, mdi->values().input_statistics.line_count);
}

TEST_F(GoTest, WriteFailureGoesToTheGeneralErrorBox) {
    for (bool fast : {false, true}) {
        tick("chk_qck", fast);
        std::string missing = data.file("none/out.txt");
        set_text("txt_out", missing);
        desktop.expect_confirm(kKeep, kYes);
        desktop.expect_general_error(
            QString::fromStdString("Cannot create file " + missing + ". No such file or directory."));
        pick("mnu_go");
        desktop.verify();
        EXPECT_EQ(false, result_menu_enabled() || enabled("mnu_wvr") || enabled("mnu_dbf"));
        EXPECT_EQ(false, find<QProgressBar>("gge_run")->isVisible());
        EXPECT_EQ(nullptr, QApplication::overrideCursor());
    }
}

}  // namespace
}  // namespace qvr::test
