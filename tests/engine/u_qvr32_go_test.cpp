#include <QApplication>
#include <QMenu>
#include <QProgressBar>
#include <functional>

#include "desktop/text_box.h"
#include "support/file_faults.h"
#include "support/main_window_fixture.h"
#include "support/unwritable_places.h"

namespace qvr::test {
namespace {

const QString kKeep = QStringLiteral("Keep imput view.");
const QString kGenerated = QStringLiteral("Extract file generated");
const QString kOverwrite = QStringLiteral("Result file already exists, overwrite ?");
const QString kFirstLines = QStringLiteral("First 100 lines sent to \"view results\" window.");
const std::string kInput = "ABCDEFGH\r\nAB\r\nXYZ12345\r\n";
const std::string kCut = "ABC;DE\r\nAB;\r\nXYZ;12\r\n";

/// File > Go on a three-line input cut by a two-field table, without heading. The input view is empty, so
/// a run asks nothing about it unless the test fills it.
class GoTest : public MainWindowTest {
  protected:
    void SetUp() override {
        start();
        clear_box(mdi->frm_view->input_view());
        input = data.write("in.txt", kInput);
        output = data.file("out.txt");
        set_text("txt_inp", input);
        set_text("txt_out", output);
        set_cells("1", "3", "4", "2");
        tick("chk_head", false);
    }

    void set_cells(const char* start1, const char* length1, const char* start2, const char* length2) {
        mdi->frm_dlm->field_table().assign_rows(
            {{"Name", start1, length1, ""}, {"Code", start2, length2, ""}});
    }
    std::vector<std::string> result_lines() { return all_lines(mdi->frm_view->result_view()); }

    /// What a run leaves, as 0/1: Result menu, Result > View, dBase export; gauge shown, busy cursor.
    std::string traces() {
        auto bit = [](bool on) { return on ? '1' : '0'; };
        return {bit(find<QMenu>("pdn_res")->menuAction()->isEnabled()),
                bit(enabled("mnu_wvr")),
                bit(enabled("mnu_dbf")),
                ' ',
                bit(find<QProgressBar>("gge_run")->isVisible()),
                bit(QApplication::overrideCursor() != nullptr)};
    }
    void menus_as_at_start() {
        for (QAction* item :
             {find<QMenu>("pdn_res")->menuAction(), find<QAction>("mnu_wvr"), find<QAction>("mnu_dbf")})
            item->setEnabled(false);
    }

    /// The program goes on: the next run, to a good place, works.
    void expect_next_run_works(bool fast) {
        set_text("txt_out", data.file("good.txt"));
        if (fast) desktop.expect_info(kFirstLines);
        desktop.expect_info(kGenerated);
        pick("mnu_go");
        EXPECT_EQ(kCut, read_file(data.file("good.txt")));
        ::unlink(data.file("good.txt").c_str());
    }

    std::string input;
    std::string output;
};

TEST_F(GoTest, StandardRunWritesShowsAndEnables) {
    set_lines(mdi->frm_view->input_view(), {"kept"});
    set_text("txt_spl", "");
    tick("chk_head", true);
    tick("chk_nbr", true);
    desktop.expect_confirm(kKeep, kYes);
    desktop.expect_info(kGenerated);
    pick("mnu_go");
    EXPECT_EQ("Nb;Name;Code\r\n1;ABC;DE\r\n2;AB;\r\n3;XYZ;12\r\n", read_file(output));
    EXPECT_EQ((std::vector<std::string>{"Nb;Name;Code", "1;ABC;DE", "2;AB;", "3;XYZ;12"}), result_lines());
    EXPECT_EQ(QStringLiteral("0"), box_text("txt_spl"));
    EXPECT_EQ(QStringLiteral("Number of lines displayed: 4"), label("lbl_vcount"));
    EXPECT_EQ(QStringLiteral("Number of lines generated: 3"), label("lbl_vgener"));
    EXPECT_EQ(mdi->frm_view, front());
    EXPECT_EQ("111 00", traces());
    EXPECT_EQ(QColor(Qt::black), find<QProgressBar>("gge_run")->palette().color(QPalette::Highlight));
    EXPECT_EQ((std::vector<std::string>{"kept"}), all_lines(mdi->frm_view->input_view()));
}

TEST_F(GoTest, RefusalsComeInOrderAndNoLeavesTheFormerResult) {
    data.write("out.txt", "old\r\n");
    struct Case {
        std::string input;
        std::string output;
        const char* length;
        QString message;
    };
    const Case cases[] = {
        {data.file("none.txt"), input, "2",
         QStringLiteral("File does not exist or 'Input file' area empty.")},
        {input, input, "2", QStringLiteral("Input and output files must be different.")},
        // A length past 32 bits reads as 0.
        {input, data.file("new.txt"), "99999999999", QStringLiteral("Please check the delimiter.")},
    };
    for (const Case& c : cases) {
        set_text("txt_inp", c.input);
        set_text("txt_out", c.output);
        set_cells("1", "3", "4", c.length);
        mdi->show_previous_jobs();
        desktop.expect_info(c.message);
        pick("mnu_go");
        desktop.verify();
        EXPECT_EQ(mdi->frm_gen, front()) << c.length << " " << c.message.toStdString();
    }
    // "No" to the overwrite question: nothing happens, not even the question about the input view.
    set_lines(mdi->frm_view->input_view(), {"kept"});
    set_text("txt_out", output);
    set_cells("1", "3", "4", "2");
    desktop.expect_confirm(kOverwrite, kNo);
    pick("mnu_go");
    EXPECT_EQ("old\r\n", read_file(output));
    EXPECT_EQ((std::vector<std::string>{"mem_out"}), result_lines());
    EXPECT_EQ("000 00", traces());
    EXPECT_EQ("in.txt out.txt", list_folder(data.path()));
}

TEST_F(GoTest, AUniqueRunLeavesTheDbaseExportOffAndASampleOfNo32BitNumberHasNoLimit) {
    tick("chk_unik", true);
    set_text("txt_spl", "99999999999");
    desktop.expect_info(kGenerated);
    pick("mnu_go");
    EXPECT_EQ("AB;\r\nABC;DE\r\nXYZ;12\r\n", read_file(output));
    EXPECT_EQ("110 00", traces());
}

TEST_F(GoTest, OutOfMemoryStopsAfterTheInputViewIsEmptied) {
    set_lines(mdi->frm_view->input_view(), {"kept"});
    find<QAction>("mnu_vwi")->setEnabled(true);
    mdi->values().tally.generated_line_count = 7;
    memory.bytes = 10;
    desktop.expect_confirm(kKeep, kNo);
    desktop.expect_info(
        QStringLiteral("Out of memory, input file too big, procedure halted.\n\r"
                       "Three solutions: do not keep the input view, close some applications, "
                       "split your input file, or try \"Fast extract\"."));
    pick("mnu_go");
    EXPECT_EQ(std::vector<std::string>{}, all_lines(mdi->frm_view->input_view()));
    EXPECT_EQ(false, enabled("mnu_vwi"));
    EXPECT_EQ("000 00", traces());
    EXPECT_EQ("<missing>", read_file(output));
    EXPECT_EQ(7, mdi->values().tally.generated_line_count);
    // With the input view gone, the next run asks nothing about it.
    memory.bytes.reset();
    desktop.expect_info(kGenerated);
    pick("mnu_go");
    EXPECT_EQ(3, mdi->values().tally.generated_line_count);
}

TEST_F(GoTest, FastRunSendsTheFirstHundredLinesAndMeasuresTheInput) {
    std::string lines;
    for (int i = 1; i <= 150; ++i) lines += "line " + std::to_string(1000 + i) + "\r\n";
    data.write("in.txt", lines);
    mdi->frm_dlm->field_table().assign_rows({{"Name", "1", "9", ""}});
    tick("chk_qck", true);
    mdi->frm_gen->set_header(true);  // a state the window does not allow: the run clears it again
    desktop.expect_info(kFirstLines);
    desktop.expect_info(kGenerated);
    pick("mnu_go");
    EXPECT_EQ(lines, read_file(output));
    EXPECT_EQ(QStringLiteral("Number of lines displayed: 100"), label("lbl_vcount"));
    EXPECT_EQ(QStringLiteral("Number of lines generated: 150"), label("lbl_vgener"));
    EXPECT_EQ("line 1100", result_lines().back());
    EXPECT_EQ(false, find<QCheckBox>("chk_head")->isChecked());
    EXPECT_EQ(1650, mdi->values().tally.input_size);
}

TEST_F(GoTest, AResultThatCannotBeWrittenLeavesTheFormerFileAndNoTemporary) {
    for (bool fast : {false, true}) {
        SCOPED_TRACE(fast ? "fast" : "standard");
        tick("chk_qck", fast);
        // The fast extract streams into the file the user agreed to overwrite; what reached it stays.
        const std::string fast_leaves = fast ? "ABC;DE\r\nAB;\r\nXYZ" : "";
        expect_unwritable_places_kept(
            "txt", "former result\r\n",
            {{"/dev/full", "write", "No space left on device"},
             {"former.txt", "create", "Permission denied", 0444},
             {"former.txt", "write", "File too large", 0644, 16, fast_leaves}},
            [&](const std::string& path, const std::string& error) {
                menus_as_at_start();
                set_text("txt_out", path);
                desktop.expect_confirm(kOverwrite, kYes);
                desktop.expect_general_error(q(error));
                pick("mnu_go");
                desktop.verify();
            },
            [&](const std::string& path) {
                EXPECT_EQ("000 00", traces()) << path;
                expect_next_run_works(fast);
            });
    }
}

TEST_F(GoTest, AnInputGoneOrNoLongerAFileStopsTheRunBeforeAnyResult) {
    const std::pair<std::function<void(const std::string&)>, std::string> cases[] = {
        {[](const std::string& p) { make_fifo(p); }, "It is not a regular file"},
        {[](const std::string& p) { ::close(::open(p.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0)); },
         "Permission denied"},
    };
    const HangGuard guard(60);
    ::unlink(input.c_str());
    desktop.expect_info(QStringLiteral("File does not exist or 'Input file' area empty."));
    pick("mnu_go");
    for (const auto& [spoil, reason] : cases) {
        spoil(input);
        desktop.expect_general_error(q("Cannot open file " + input + ". " + reason + "."));
        {
            const PermissionsHold permissions;
            pick("mnu_go");
        }
        desktop.verify();
        EXPECT_EQ("in.txt", list_folder(data.path())) << reason;
        EXPECT_EQ("000 00", traces()) << reason;
        ::rmdir(input.c_str());
        ::unlink(input.c_str());
    }
    data.write("in.txt", kInput);
    expect_next_run_works(false);
}

TEST_F(GoTest, AResultToADeviceIsWrittenThroughIt) {
    set_text("txt_out", "/dev/null");
    desktop.expect_confirm(kOverwrite, kYes);
    desktop.expect_info(kGenerated);
    pick("mnu_go");
    EXPECT_EQ(std::vector<std::string>{}, result_lines());  // a device cannot be read back
    EXPECT_EQ("111 00", traces());

    tick("chk_qck", true);
    desktop.expect_confirm(kOverwrite, kYes);
    desktop.expect_info(kFirstLines);
    desktop.expect_info(kGenerated);
    pick("mnu_go");
    EXPECT_EQ((std::vector<std::string>{"ABC;DE", "AB;", "XYZ;12"}), result_lines());
}

TEST_F(GoTest, AnInputOver4GiBIsAnalysedAndExtractedWithExactFigures) {
    // Two short lines around one line of more than 4 GiB of byte 0, taking no room on disk.
    set_text("txt_inp",
             make_sparse_file(data.file("huge.txt"), (std::int64_t{1} << 32) + 10, "AB\r\n", "\r\nCD\r\n"));
    find<QAction>("mnu_ana")->setEnabled(true);
    desktop.expect_info(
        QStringLiteral("Input file...\n\rSize (bytes): 4294967306\n\rLines: 3\n\r"
                       "For time saving, checking \"Fast extract\" recommended"));
    pick("mnu_ana");
    EXPECT_EQ(true, find<QCheckBox>("chk_qck")->isChecked());

    const std::int64_t memory_before = peak_memory();
    desktop.expect_info(kFirstLines);
    desktop.expect_info(kGenerated);
    pick("mnu_go");
    EXPECT_EQ(std::string("AB;\r\n\0\0\0;\0\0\r\nCD;\r\n", 18), read_file(output));
    EXPECT_EQ(3, mdi->values().tally.generated_line_count);
    EXPECT_EQ(4'294'967'306, mdi->values().tally.input_size);
    EXPECT_EQ(3, mdi->values().tally.input_line_count);
    EXPECT_GT(64 << 20, peak_memory() - memory_before);  // the line of 4 GiB was read past, not held
}

}  // namespace
}  // namespace qvr::test
