#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <functional>

#include "engine/u_gen.h"
#include "fields/u_dlm.h"
#include "input/u_view.h"
#include "shell/text_box.h"
#include "support/file_faults.h"
#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

const QString kGenerated = QStringLiteral("Extract file generated");
const QString kOverwrite = QStringLiteral("Result file already exists, overwrite ?");
const QString kFirstLines = QStringLiteral("First 100 lines sent to \"view results\" window.");
const std::string kInput = "ABCDEFGH\r\nAB\r\nXYZ12345\r\n";

QString q(const std::string& text) { return QString::fromStdString(text); }

/// File > Go as the user meets it when files fail: the input view is empty, so the run asks nothing about
/// it, and a two-field table cuts the input.
class GoFaultsTest : public MainWindowTest {
  protected:
    void SetUp() override {
        start();
        clear_box(mdi->frm_view->input_view());
        input = data.write("in.txt", kInput);
        set_text("txt_inp", input);
        FieldTable& table = mdi->frm_dlm->field_table();
        table.set_row_count(2);
        set_row(1, "Name", "1", "3");
        set_row(2, "Code", "4", "2");
        find<QCheckBox>("chk_head")->setChecked(false);
    }

    void set_text(const char* box, const std::string& text) { find<QLineEdit>(box)->setText(q(text)); }
    void set_row(int row, const char* name, const char* start, const char* length) {
        FieldTable& table = mdi->frm_dlm->field_table();
        table.set_cell(FieldTable::kName, row, name);
        table.set_cell(FieldTable::kStart, row, start);
        table.set_cell(FieldTable::kLength, row, length);
    }
    void set_fast(bool on) { find<QCheckBox>("chk_qck")->setChecked(on); }

    /// The menus as no finished run has left them yet.
    void menus_as_at_start() {
        find<QMenu>("pdn_res")->menuAction()->setEnabled(false);
        find<QAction>("mnu_dbf")->setEnabled(false);
    }

    /// Nothing of a finished run shows: no Result menu, no dBase export, no gauge, the normal cursor.
    void expect_nothing_finished(const std::string& what) {
        EXPECT_EQ(false,
                  find<QMenu>("pdn_res")->menuAction()->isEnabled() || find<QAction>("mnu_dbf")->isEnabled())
            << what;
        EXPECT_EQ(false, find<QProgressBar>("gge_run")->isVisible()) << what;
        EXPECT_EQ(nullptr, QApplication::overrideCursor()) << what;
    }

    /// The program goes on: the next run, to a good place, works.
    void expect_next_run_works(bool fast) {
        set_text("txt_out", data.file("good.txt"));
        if (fast) desktop.expect_info(kFirstLines);
        desktop.expect_info(kGenerated);
        pick("mnu_go");
        EXPECT_EQ("ABC;DE\r\nAB;\r\nXYZ;12\r\n", read_file(data.file("good.txt")));
        ::unlink(data.file("good.txt").c_str());
    }

    std::string input;
};

struct OutputCase {
    const char* what;
    std::function<std::string(const TempDir&)> place;  ///< makes the place and returns the result path
    bool asks_overwrite;
    std::string action;  ///< "create" or "write"
    std::string reason;
    std::string fast_leaves;  ///< what a fast run leaves in the former file
    rlim_t file_size_limit = RLIM_INFINITY;
};

TEST_F(GoFaultsTest, AResultThatCannotBeWrittenLeavesTheFormerFileAndNoTemporary) {
    // Each place holds a former result, which the run either aims at or must leave alone.
    const std::string former = "former result\r\n";
    const OutputCase cases[] = {
        {"full device", [](const TempDir&) { return std::string("/dev/full"); }, true, "write",
         "No space left on device", former},
        {"under a regular file", [](const TempDir& d) { return d.write("plain.txt", "plain") + "/out.txt"; },
         false, "create", "Not a directory", former},
        {"a folder in its place", [](const TempDir& d) { return make_folder(d.file("taken.txt")); }, true,
         "create", "Is a directory", former},
        {"a folder without write permission",
         [](const TempDir& d) {
             ::chmod(d.path().c_str(), 0555);
             return d.file("out.txt");
         },
         false, "create", "Permission denied", former},
        {"a read-only former file",
         [](const TempDir& d) {
             ::chmod(d.file("former.txt").c_str(), 0444);
             return d.file("former.txt");
         },
         true, "create", "Permission denied", former},
        // The fast extract streams into the file the user agreed to overwrite; what reached it stays.
        {"a disk that fills up", [](const TempDir& d) { return d.file("former.txt"); }, true, "write",
         "File too large", "ABC;DE\r\nAB;\r\nXYZ", 16},
    };
    for (bool fast : {false, true}) {
        for (const OutputCase& c : cases) {
            TempDir place;
            place.write("former.txt", former);
            const std::string output = c.place(place);
            const std::string folder_before = list_folder(place.path());
            set_fast(fast);
            menus_as_at_start();
            set_text("txt_out", output);
            if (c.asks_overwrite) desktop.expect_confirm(kOverwrite, kYes);
            desktop.expect_general_error(q("Cannot " + c.action + " file " + output + ". " + c.reason + "."));
            {
                const PermissionsHold permissions;
                const FileSizeLimit limit(c.file_size_limit);
                pick("mnu_go");
            }
            desktop.verify();
            const std::string what = c.what + std::string(fast ? " (fast)" : "");
            EXPECT_EQ(folder_before, list_folder(place.path())) << what;
            EXPECT_EQ(fast ? c.fast_leaves : former, read_file(place.file("former.txt"))) << what;
            expect_nothing_finished(what);
            expect_next_run_works(fast);
        }
    }
}

struct InputCase {
    const char* what;
    std::function<void(const std::string&)> spoil;  ///< turns the chosen input into the fault
    BoxKind kind;
    std::string message;
    const char* folder_after;
};

TEST_F(GoFaultsTest, AnInputGoneOrNoLongerAFileStopsTheRunBeforeAnyResult) {
    const std::string in = input;
    const InputCase cases[] = {
        {"deleted", [](const std::string& p) { ::unlink(p.c_str()); }, BoxKind::information,
         "File does not exist or 'Input file' area empty.", ""},
        {"replaced by a folder",
         [](const std::string& p) {
             ::unlink(p.c_str());
             make_folder(p);
         },
         BoxKind::general_error, "Cannot open file " + in + ". Is a directory.", "in.txt"},
        {"replaced by a pipe nobody writes to",
         [](const std::string& p) {
             ::unlink(p.c_str());
             make_fifo(p);
         },
         BoxKind::general_error, "Cannot open file " + in + ". It is not a regular file.", "in.txt"},
        {"replaced by a device",
         [](const std::string& p) {
             ::unlink(p.c_str());
             make_link(p, "/dev/zero");
         },
         BoxKind::general_error, "Cannot open file " + in + ". It is not a regular file.", "in.txt"},
        {"without read permission", [](const std::string& p) { ::chmod(p.c_str(), 0); },
         BoxKind::general_error, "Cannot open file " + in + ". Permission denied.", "in.txt"},
    };
    const HangGuard guard(60);
    for (bool fast : {false, true}) {
        for (const InputCase& c : cases) {
            set_fast(fast);
            menus_as_at_start();
            set_text("txt_out", data.file("out.txt"));
            c.spoil(input);
            desktop.expect_box(c.kind, q(c.message), kOk, kOk);
            {
                const PermissionsHold permissions;
                pick("mnu_go");
            }
            desktop.verify();
            const std::string what = c.what + std::string(fast ? " (fast)" : "");
            EXPECT_EQ(c.folder_after, list_folder(data.path())) << what;
            expect_nothing_finished(what);
            ::rmdir(input.c_str());
            ::unlink(input.c_str());
            data.write("in.txt", kInput);
            expect_next_run_works(fast);
        }
    }
}

TEST_F(GoFaultsTest, AResultToADeviceIsWrittenThroughIt) {
    set_text("txt_out", "/dev/null");
    desktop.expect_confirm(kOverwrite, kYes);
    desktop.expect_info(kGenerated);
    pick("mnu_go");
    EXPECT_EQ(std::vector<std::string>{}, all_lines(mdi->frm_view->result_view()));  // nothing to read back
    EXPECT_EQ(3, mdi->values().generated_line_count);
    EXPECT_EQ(true, find<QMenu>("pdn_res")->menuAction()->isEnabled());

    set_fast(true);
    desktop.expect_confirm(kOverwrite, kYes);
    desktop.expect_info(kFirstLines);
    desktop.expect_info(kGenerated);
    pick("mnu_go");
    EXPECT_EQ((std::vector<std::string>{"ABC;DE", "AB;", "XYZ;12"}), all_lines(mdi->frm_view->result_view()));
}

TEST_F(GoFaultsTest, AbsurdNumbersInTheSampleSizeAndTheTable) {
    struct Case {
        const char* sample;
        std::array<const char*, 4> cells;  // start and length of both rows
        std::string result;
    };
    const Case cases[] = {
        {"99999999999", {"1", "3", "4", "2"}, "ABC;DE\r\nAB;\r\nXYZ;12\r\n"},  // not a number: no limit
        {"-2147483648", {"1", "3", "4", "2"}, "ABC;DE\r\nAB;\r\nXYZ;12\r\n"},
        {"2147483647", {"1", "3", "4", "2"}, "ABC;DE\r\nAB;\r\nXYZ;12\r\n"},
        {"0", {"2147483647", "2147483647", "-2147483648", "2"}, ";AB\r\n;AB\r\n;XY\r\n"},
        {"0", {"1", "2147483647", "8", "2147483647"}, "ABCDEFGH;H\r\nAB;\r\nXYZ12345;5\r\n"},
    };
    for (const Case& c : cases) {
        set_text("txt_spl", c.sample);
        set_row(1, "Name", c.cells[0], c.cells[1]);
        set_row(2, "Code", c.cells[2], c.cells[3]);
        set_text("txt_out", data.file("out.txt"));
        ::unlink(data.file("out.txt").c_str());
        desktop.expect_info(kGenerated);
        pick("mnu_go");
        desktop.verify();
        EXPECT_EQ(c.result, read_file(data.file("out.txt"))) << c.sample << " " << c.cells[0];
    }
    // Numbers past 32 bits, or with anything beside the digits, read as 0, which the table check refuses.
    ::unlink(data.file("out.txt").c_str());
    for (const char* length : {"99999999999", "2147483648", " 5", "5 ", "+5", "1e3", "0x10"}) {
        set_row(2, "Code", "4", length);
        desktop.expect_info(QStringLiteral("Please check the delimiter."));
        pick("mnu_go");
        desktop.verify();
    }
}

TEST_F(GoFaultsTest, AnInputOver4GiBIsAnalysedAndExtractedWithExactFigures) {
    // Two short lines around one line of more than 4 GiB of byte 0, taking no room on disk.
    const std::string huge =
        make_sparse_file(data.file("huge.txt"), (std::int64_t{1} << 32) + 10, "AB\r\n", "\r\nCD\r\n");
    set_text("txt_inp", huge);
    set_text("txt_out", data.file("huge.qvo.txt"));
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
    EXPECT_EQ(std::string("AB;\r\n\0\0\0;\0\0\r\nCD;\r\n", 18), read_file(data.file("huge.qvo.txt")));
    EXPECT_EQ(3, mdi->values().generated_line_count);
    EXPECT_EQ(4'294'967'306, mdi->values().input_statistics.size);
    EXPECT_EQ(3, mdi->values().input_statistics.line_count);
    // The line of 4 GiB was read past, not held.
    EXPECT_GT(64 << 20, peak_memory() - memory_before);
}

}  // namespace
}  // namespace qvr::test
