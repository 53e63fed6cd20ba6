#include <gmock/gmock.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>

#include "desktop/text_box.h"
#include "support/main_window_fixture.h"
#include "support/unwritable_places.h"

namespace qvr::test {
namespace {

const QString kKeep = QStringLiteral("Keep imput view.");
const QString kGenerated = QStringLiteral("Extract file generated");
const QString kOverwrite = QStringLiteral("Result file already exists, overwrite ?");
const QString kFirstLines = QStringLiteral("First 100 lines sent to \"view results\" window.");
const std::string kCut = "ABC;DE\r\nAB;\r\nXYZ;12\r\n";

/// File > Go on a three-line input cut by a two-field table, without heading. The input view is empty, so
/// a run asks nothing about it unless the test fills it.
class GoTest : public MainWindowTest {
  protected:
    void SetUp() override {
        start();
        clear_box(mdi->frm_view->input_view());
        set_text("txt_inp", input);
        set_text("txt_out", output);
        set_cells("2");
        tick("chk_head", false);
    }

    void set_cells(const char* length) { set_rows({{"Name", "1", "3", ""}, {"Code", "4", length, ""}}); }
    std::vector<std::string> result_lines() { return all_lines(mdi->frm_view->result_view()); }

    std::string input = data.write("in.txt", "ABCDEFGH\r\nAB\r\nXYZ12345\r\n");
    std::string output = data.file("out.txt");
};

TEST_F(GoTest, StandardRunWritesShowsAndEnables) {
    set_lines(mdi->frm_view->input_view(), {"kept"});
    set_text("txt_spl", "");
    tick("chk_head", true);
    tick("chk_nbr", true);
    desktop.expect_confirm(kKeep, kYes);
    desktop.expect_info(kGenerated);
    pick("mnu_go");
    EXPECT_EQ((std::vector<std::string>{"Nb;Name;Code", "1;ABC;DE", "2;AB;", "3;XYZ;12"}), result_lines());
    EXPECT_EQ(QStringLiteral("0"), box_text("txt_spl"));
    EXPECT_EQ(QStringLiteral("Number of lines displayed: 4"), label("lbl_vcount"));
    EXPECT_EQ(QStringLiteral("Number of lines generated: 3"), label("lbl_vgener"));
    EXPECT_EQ(mdi->frm_view, front());
    EXPECT_EQ("111 00", traces());
    EXPECT_EQ(QColor(Qt::black), find<QProgressBar>("gge_run")->palette().color(QPalette::Highlight));
    EXPECT_EQ((std::vector<std::string>{"kept"}), all_lines(mdi->frm_view->input_view()));
}

// The last box adds the encoding when the run met something the proposal's sample could not tell; the
// job log names the encoding of every run.
TEST_F(GoTest, TheLastBoxTellsInvalidBytesOrCharactersCutAsBytesAndTheLogNamesTheEncoding) {
    data.write("in.txt", repeated("\xC3\xA9t\xC3\xA9 1\r\n", 1000) + "\xFFt\xC3\xA9 2\r\n");
    const std::pair<int, QString> cases[] = {
        {1, QStringLiteral("\n\rEncoding: UTF-8 (1 invalid byte kept as it is)")},
        {0,
         QStringLiteral("\n\rEncoding: Windows-1252, but the input holds 2001 UTF-8 characters beyond ASCII, "
                        "each cut as 2 to 4 columns: in UTF-8 they are one each")},
    };
    for (const auto& [encoding, word] : cases) {
        find<QComboBox>("cbo_enc")->setCurrentIndex(encoding);
        data.write("out.txt", "");
        desktop.expect_confirm(kOverwrite, kYes);
        desktop.expect_info(kGenerated + word);
        pick("mnu_go");
        desktop.verify();
        EXPECT_THAT(
            all_lines(mdi->frm_log->job_log_view()).at(0),
            testing::EndsWith(encoding == 1 ? "\tUTF-8\tNo bad values" : "\tWindows-1252\tNo bad values"));
        // The result view shows the result in its encoding.
        EXPECT_EQ(encoding == 1, mdi->frm_view->result_view()->toPlainText().contains(
                                     QString::fromUtf8("\xC3\xA9t\xC3\xA9")));
    }
}

// "Write in" converts the result on its way to the file, the view shows it as written, and the last box
// counts the characters Windows-1252 lacks.
TEST_F(GoTest, WriteInConvertsTheResultAndCountsWhatWindows1252Lacks) {
    const std::tuple<std::string, int, int, std::string, QString> cases[] = {
        {"caf\xE9 1\r\n", 0, 1, "caf;\xC3\xA9 \r\n", kGenerated},
        {"caf\xC3\xA9\xCE\xA9\r\n", 1, 2, "caf;\xE9?\r\n",
         kGenerated + QStringLiteral(" (1 character replaced by \"?\")")},
    };
    for (const auto& [in, encoding, written_in, file, box] : cases) {
        data.write("in.txt", in);
        data.write("out.txt", "");
        find<QComboBox>("cbo_enc")->setCurrentIndex(encoding);
        find<QComboBox>("cbo_oenc")->setCurrentIndex(written_in);
        desktop.expect_confirm(kOverwrite, kYes);
        desktop.expect_info(box);
        pick("mnu_go");
        desktop.verify();
        EXPECT_EQ(file, read_file(output));
        EXPECT_TRUE(
            mdi->frm_view->result_view()->toPlainText().startsWith(QString::fromUtf8("caf;\xC3\xA9")));
    }
}

TEST_F(GoTest, RefusalsComeInOrderAndNoLeavesTheFormerResult) {
    data.write("out.txt", "old\r\n");
    const std::tuple<std::string, std::string, const char*, const char*> cases[] = {
        {data.file("none.txt"), input, "2", "File does not exist or 'Input file' area empty."},
        {input, input, "2", "Input and output files must be different."},
        {input, data.file("new.txt"), "99999999999", "Please check the delimiter."},  // past 32 bits: 0
    };
    for (const auto& [in, out, length, message] : cases) {
        set_text("txt_inp", in);
        set_text("txt_out", out);
        set_cells(length);
        mdi->show_previous_jobs();
        desktop.expect_info(QString::fromUtf8(message));
        pick("mnu_go");
        desktop.verify();
        EXPECT_EQ(mdi->frm_gen, front()) << message;
    }
    // "No" to the overwrite question: nothing happens, not even the question about the input view.
    set_lines(mdi->frm_view->input_view(), {"kept"});
    set_text("txt_out", output);
    set_cells("2");
    desktop.expect_confirm(kOverwrite, kNo);
    pick("mnu_go");
    EXPECT_EQ("old\r\n", read_file(output));
    EXPECT_EQ((std::vector<std::string>{"mem_out"}), result_lines());
    EXPECT_EQ("000 00", traces());
    // Quoting with a quote in the separator, before any question.
    tick("chk_quote", true);
    set_text("txt_dlm", "\"");
    desktop.expect_info(q(
        "Fields cannot be quoted when the separator holds a quote (\"): the result could not be read back."));
    pick("mnu_go");
    EXPECT_EQ("old\r\n", read_file(output));
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

// The run still writes the whole result, and is done and logged.
TEST_F(GoTest, LittleMemoryEmptiesTheInputViewAndShowsWhatFitsOfTheResult) {
    set_lines(mdi->frm_view->input_view(), {"kept"});
    find<QAction>("mnu_vwi")->setEnabled(true);
    memory.bytes = 40;  // a quarter for the view: the first line and its line end
    desktop.expect_confirm(kKeep, kNo);
    desktop.expect_info(
        QStringLiteral("The result is too big for the result view: it shows the first 1 lines."));
    desktop.expect_info(kGenerated);
    pick("mnu_go");
    EXPECT_EQ(std::vector<std::string>{}, all_lines(mdi->frm_view->input_view()));
    EXPECT_EQ(false, enabled("mnu_vwi"));
    EXPECT_EQ("111 00", traces());
    EXPECT_EQ(kCut, read_file(output));
    EXPECT_EQ(std::vector<std::string>{"ABC;DE"}, result_lines());
    EXPECT_EQ(3, mdi->values().tally.generated_line_count);
}

// The fast extract streams into the file the user agreed to overwrite; what reached it stays, and once it
// has begun its result it says the file is incomplete. The program goes on: the next run works.
TEST_F(GoTest, AResultThatCannotBeWrittenLeavesTheFormerFileAndNoTemporary) {
    for (const auto& [fast, place] :
         {std::pair<bool, UnwritablePlace>{false, {"/dev/full", "write", "No space left on device"}},
          {true, {"former.txt", "write", "File too large", 0644, 16, "ABC;DE\r\nAB;\r\nXYZ"}}}) {
        tick("chk_qck", fast);
        expect_unwritable_places_kept(
            "txt", "former result\r\n", {place},
            [&](const std::string& path, const std::string& error) {
                for (const char* item : {"mnu_wvr", "mnu_dbf"}) find<QAction>(item)->setEnabled(false);
                find<QMenu>("pdn_res")->menuAction()->setEnabled(false);
                set_text("txt_out", path);
                desktop.expect_confirm(kOverwrite, kYes);
                desktop.expect_general_error(
                    q(fast ? error + "\n\rThe result file " + path + " is incomplete." : error));
                pick("mnu_go");
                desktop.verify();
            },
            [&](const std::string& path) {
                EXPECT_EQ("000 00", traces()) << path;
                set_text("txt_out", data.file("good.txt"));
                if (fast) desktop.expect_info(kFirstLines);
                desktop.expect_info(kGenerated);
                pick("mnu_go");
                EXPECT_EQ(kCut, read_file(data.file("good.txt")));
                ::unlink(data.file("good.txt").c_str());
            });
    }
}

TEST_F(GoTest, AResultToADeviceIsWrittenThroughIt) {
    set_text("txt_out", "/dev/null");
    for (bool fast : {false, true}) {
        tick("chk_qck", fast);
        desktop.expect_confirm(kOverwrite, kYes);
        if (fast) desktop.expect_info(kFirstLines);
        desktop.expect_info(kGenerated);
        pick("mnu_go");
        EXPECT_EQ("111 00", traces());
        // A device cannot be read back: the result view shows only what the fast extract sent it.
        EXPECT_EQ((fast ? std::vector<std::string>{"ABC;DE", "AB;", "XYZ;12"} : std::vector<std::string>{}),
                  result_lines());
    }
}

TEST_F(GoTest, AnInputOver4GiBIsAnalysedAndExtractedWithExactFigures) {
    // Two short lines around one line of more than 4 GiB of byte 0, taking no room on disk.
    set_text("txt_inp",
             make_sparse_file(data.file("huge.txt"), (std::int64_t{1} << 32) + 10, "AB\r\n", "\r\nCD\r\n"));
    find<QAction>("mnu_ana")->setEnabled(true);
    desktop.expect_info(QStringLiteral(
        "Input file...\n\rSize (bytes): 4294967306\n\rLines: 3\n\r"
        "For time saving, checking \"Fast extract\" recommended\n\r"
        "Line length: shortest 2 (2 lines), longest 4294967296 (1 line), most common 2 (2 lines)"));
    pick("mnu_ana");
    EXPECT_EQ(true, find<QCheckBox>("chk_qck")->isChecked());

    reset_peak_memory();
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

// Esc during a sorted run, a click on Stop during a fast one, both waiting as the run starts, end it at its
// first look at the window's events: the former result stays (the fast run says its file is incomplete),
// no temporary is left, nothing is enabled. Esc ends a search for fields too, and the table stays.
TEST_F(GoTest, EscOrStopEndsARunOrASearchForFields) {
    // Enough that every run outlasts the window's first look at its events.
    data.write("in.txt", repeated("ABCDEFGH123\r\n", 1'500'000));
    // Esc goes to the control that has the keyboard, as a user's key would.
    QObject* focus =
        QApplication::focusWidget() ? static_cast<QObject*>(QApplication::focusWidget()) : mdi.get();
    auto escape = [focus] {
        QCoreApplication::postEvent(focus, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, {}));
    };
    for (bool fast : {false, true}) {
        data.write("out.txt", "former\r\n");
        tick(fast ? "chk_qck" : "chk_sort", true);
        desktop.expect_confirm(kOverwrite, kYes);
        if (fast) {
            desktop.expect_general_error(
                q("Stopped at the user's request.\n\rThe result file " + output + " is incomplete."));
            for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
                QCoreApplication::postEvent(find<QWidget>("btn_stop"),
                                            new QMouseEvent(type, QPointF(4, 4), QPointF(4, 4),
                                                            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
        } else {
            escape();
        }
        pick("mnu_go");
        EXPECT_EQ("000 00", traces()) << fast;
        EXPECT_EQ("in.txt out.txt", list_folder(data.path()));
        EXPECT_EQ(!fast, read_file(output) == "former\r\n");  // the fast run empties the file it writes into
    }
    const std::vector<std::string> before = mdi->frm_dlm->field_table().names();
    find<QAction>("mnu_fdt")->setEnabled(true);
    desktop.expect_confirm(QStringLiteral("Is the former fields definition saved?"), kYes);
    escape();
    pick("mnu_fdt");
    EXPECT_EQ(before, mdi->frm_dlm->field_table().names());
    EXPECT_FALSE(find<QProgressBar>("gge_run")->isVisible());
}

TEST_F(GoTest, TickBoxesKeepTheOptionsConsistentAndTabShowsTab) {
    tick("chk_head", true);  // as the program starts
    auto box = [this](const char* name) { return find<QCheckBox>(name, mdi->frm_gen); };
    // Checked and enabled state of header, sorted, unique and line numbers, as "10 01 ..." pairs.
    auto options = [&] {
        std::string s;
        for (const char* n : {"chk_head", "chk_sort", "chk_unik", "chk_nbr"})
            s += std::string{box(n)->isChecked() ? '1' : '0', box(n)->isEnabled() ? '1' : '0', ' '};
        return s;
    };
    const std::pair<const char*, const char*> clicks[] = {
        {"chk_unik", "11 11 11 01 "},  // unique brings sorted
        {"chk_sort", "11 01 01 01 "},  // unsorting drops unique
        {"chk_sort", "11 11 01 01 "},  // sorting alone leaves unique alone
        {"chk_unik", "11 11 11 01 "}, {"chk_nbr", "11 11 11 11 "},
        {"chk_qck", "00 00 00 00 "},  // the fast extract can honour none of them
        {"chk_qck", "11 01 01 01 "},
    };
    for (const auto& [name, after] : clicks) {
        box(name)->click();
        EXPECT_EQ(after, options()) << name;
    }
    mdi->frm_gen->set_fast(true);  // as the input analysis switches it
    EXPECT_EQ("00 00 00 00 ", options());
    // The tab separator shows "<Tab>" and gives back ";".
    QLineEdit* separator = find<QLineEdit>("txt_dlm", mdi->frm_gen);
    separator->clear();
    QTest::keyClicks(separator, "|");
    box("chk_dlm")->click();
    EXPECT_EQ(QStringLiteral("<Tab>"), separator->text());
    separator->setText(QStringLiteral("edited"));
    EXPECT_EQ("\t", mdi->frm_gen->settings().separator());  // the run still uses a tab
    box("chk_dlm")->click();
    EXPECT_EQ(QStringLiteral(";"), separator->text());
    EXPECT_EQ(";", mdi->frm_gen->settings().separator());
}

}  // namespace
}  // namespace qvr::test
