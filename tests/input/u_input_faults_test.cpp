#include <functional>

#include "support/file_faults.h"
#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

using InputFaults = StartedTest;

/// Paths in `dir` that are no file the program can read, each with the reason it is refused.
std::vector<std::pair<std::string, std::string>> not_readable_files(const TempDir& dir) {
    const std::string unreadable = dir.write("unreadable.txt", "a\r\n");
    ::chmod(unreadable.c_str(), 0);
    return {
        {dir.file("missing.txt"), "No such file or directory"},
        {make_fifo(dir.file("pipe.txt")), "It is not a regular file"},
        {make_link(dir.file("zero.txt"), "/dev/zero"), "It is not a regular file"},
        {make_folder(dir.file("folder.txt")), "Is a directory"},
        {unreadable, "Permission denied"},
    };
}

TEST_F(InputFaults, FillingFromWhatIsNoReadableFileKeepsTheDialogOpen) {
    const HangGuard guard(60);
    const PermissionsHold permissions;
    for (const auto& [path, reason] : not_readable_files(data)) {
        for (const char* mode : {"opt_part", "opt_full"}) {
            int result_after_failure = -1;
            mdi->frm_inp->show_modal = [&](Tfrm_inp& dialog) {
                dialog.setResult(QDialog::Rejected);  // as exec() starts
                find<QRadioButton>(mode, &dialog)->setChecked(true);
                find<QPushButton>("cmd_ooke", &dialog)->click();
                result_after_failure = dialog.result();
                // Still open after the message: another mode can be chosen.
                find<QRadioButton>("opt_void", &dialog)->setChecked(true);
                find<QPushButton>("cmd_ooke", &dialog)->click();
            };
            desktop.expect_open(q(path));
            desktop.expect_general_error(q("Cannot open file " + path + ". " + reason + "."));
            pick("mnu_inp");
            desktop.verify();
            EXPECT_EQ(QDialog::Rejected, result_after_failure) << path << " " << mode;
            EXPECT_EQ(QDialog::Accepted, mdi->frm_inp->result()) << path << " " << mode;
            EXPECT_EQ(std::vector<std::string>{}, view()) << path << " " << mode;
            EXPECT_EQ(q(path), box_text("txt_inp"));
        }
    }
}

TEST_F(InputFaults, AnalysingWhatIsNoReadableFileKeepsTheFormerFigures) {
    open_input(data.write("ten.txt", repeated("abc\r\n", 10)), "opt_void");
    const QString report = QStringLiteral("Input file...\n\rSize (bytes): 50\n\rLines: 10");
    desktop.expect_info(report);
    pick("mnu_ana");
    const HangGuard guard(60);
    const PermissionsHold permissions;
    for (const auto& [path, reason] : not_readable_files(data)) {
        set_text("txt_inp", path);
        desktop.expect_general_error(q("Cannot open file " + path + ". " + reason + "."));
        pick("mnu_ana");
        desktop.verify();
        EXPECT_EQ(50, mdi->values().tally.input_size) << path;
        EXPECT_EQ(10, mdi->values().tally.input_line_count) << path;
        EXPECT_EQ(report, find<QLineEdit>("txt_inp")->toolTip()) << path;
    }
}

struct ShapeCase {
    const char* what;
    std::string bytes;
    std::vector<std::string> partial;  // read line by line
    std::vector<std::string> full;     // split at CR LF, CR and LF, as a text box loads a file
    std::int64_t lines;                // counted by the analysis
};

TEST_F(InputFaults, BinaryAndLineEndOnlyFilesInTheViewAndTheAnalysis) {
    const ShapeCase cases[] = {
        {"every byte value, then a run of NUL",
         "x\r\n" + bytes(1, 255) + std::string(100, '\0'),
         {"x", bytes(1, 12), bytes(14, 25)},
         {"x", bytes(1, 9), bytes(11, 12), bytes(14, 255) + std::string(100, '\0')},
         3},
        {"only line feeds",
         std::string(1000, '\n'),
         {std::string(1000, '\n')},
         std::vector<std::string>(1000),
         1},
        {"only carriage returns", std::string(1000, '\r'), std::vector<std::string>(100),
         std::vector<std::string>(1000), 1000},
    };
    for (const ShapeCase& c : cases) {
        const std::string path = data.write("shape.txt", c.bytes);
        open_input(path, "opt_part");
        EXPECT_EQ(c.partial, view()) << c.what;
        open_input(path, "opt_full");
        EXPECT_EQ(c.full, view()) << c.what;
        desktop.expect_info(q("Input file...\n\rSize (bytes): " + std::to_string(c.bytes.size()) +
                              "\n\rLines: " + std::to_string(c.lines)));
        pick("mnu_ana");
        desktop.verify();
    }
}

TEST_F(InputFaults, AHundredMegabyteLineIsShownAndCounted) {
    const std::string path = make_sparse_file(data.file("long.txt"), 100'000'000, "head", "tail\r\nnext\r\n");
    open_input(path, "opt_part");
    const std::vector<std::string> lines = view();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("head" + std::string(99'999'984, '\0') + "tail", lines[0]);
    EXPECT_EQ("next", lines[1]);
    desktop.expect_info(
        QStringLiteral("Input file...\n\rSize (bytes): 100000000\n\rLines: 2\n\r"
                       "For time saving, checking \"Fast extract\" recommended"));
    pick("mnu_ana");
}

}  // namespace
}  // namespace qvr::test
