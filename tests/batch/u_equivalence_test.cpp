#include <cstdio>

#include "batch_harness.h"
#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

/// One job, once as options of quarvel-batch and once as the windows hold it: the General data window's
/// controls, by name, set to "1" or "0" (tick boxes) or the text's bytes; three fields, or the example's
/// field definition file, recalled in the window and given as --layout to the batch.
using Controls = std::vector<std::pair<const char*, std::string>>;
struct Case {
    std::string command;  // "extract" (File > Go) or "dbf" (File > Extract .DBF file)
    Args options;
    Controls controls;
    bool three_fields;
};

class EquivalenceTest : public MainWindowTest {
  protected:
    /// A fresh program with the case's field table and General data settings, then File > "&Go" or
    /// "&Extract .DBF file"; the bytes of the file written.
    std::string in_window(const Case& c) {
        const bool dbf = c.command == "dbf";
        mdi.reset();
        start();
        desktop.expect_open(q(examples_dir() + "customers.tab"));
        pick("Recall1");
        if (c.three_fields)
            set_rows({{"Code", "1", "6", "6"}, {"", "27", "15", "41"}, {" Amount ", "50", "10", "59"}});
        find<QLineEdit>("txt_inp")->setText(to_widget_text(input));
        for (const auto& [name, value] : c.controls) {
            if (name[0] == 'c') find<QCheckBox>(name)->setChecked(value == "1");
            if (name[0] == 't') find<QLineEdit>(name)->setText(to_widget_text(value));
        }
        const std::string output = data.file(dbf ? "customers.dbf" : "window.txt");
        std::remove(output.c_str());
        if (dbf) {
            find<QAction>("mnu_dbf")->setEnabled(true);
            desktop.expect_info(to_widget_text(output + " generated"));
        } else {
            find<QLineEdit>("txt_out")->setText(to_widget_text(output));
            desktop.expect_confirm(QStringLiteral("Keep imput view."), kYes);
            if (find<QCheckBox>("chk_qck")->isChecked())
                desktop.expect_info(QStringLiteral("First 100 lines sent to \"view results\" window."));
            desktop.expect_info(QStringLiteral("Extract file generated"));
        }
        pick(dbf ? "mnu_dbf" : "mnu_go");
        desktop.verify();
        return read_file(output);
    }

    /// The same job through quarvel-batch: the bytes it wrote.
    std::string in_batch(const Case& c) {
        const std::string output = data.file("batch." + c.command);
        const Args layout =
            c.three_fields ? Args{"--field", "Code:1:6", "--field", ":27:15", "--field", " Amount :50:10"}
                           : Args{"--layout", examples_dir() + "customers.tab"};
        std::remove(output.c_str());
        BatchOutcome r = run_batch_in_process(
            join({{c.command, "--input", input, "--output", output}, layout, c.options}));
        EXPECT_EQ(0, r.status) << r.err;
        return read_file(output);
    }

    std::string input = data.write("customers.txt", read_file(examples_dir() + "customers.txt"));
};

TEST_F(EquivalenceTest, ExtractAndDbfWriteTheBytesOfTheWindows) {
    using C = Controls;
    const Case cases[] = {
        {"extract", Args{}, C{}, false},
        {"extract", Args{"--no-header", "--separator", "|", "--numbers", "--sorted", "--trim"},
         C{{"chk_head", "0"}, {"txt_dlm", "|"}, {"chk_nbr", "1"}, {"chk_sort", "1"}, {"chk_trim", "1"}},
         false},
        {"extract", Args{"--tab", "--lower", "C00010", "--upper", "C00020", "--sample", "7"},
         C{{"chk_dlm", "1"}, {"txt_ptit", "C00010"}, {"txt_gran", "C00020"}, {"txt_spl", "7"}}, false},
        {"extract", Args{"--contains", "\xE9", "--trim"}, C{{"txt_ctn", "\xE9"}, {"chk_trim", "1"}}, false},
        {"extract", Args{"--fast", "--trim", "--contains", "Lyon", "--sample", "3"},
         C{{"chk_qck", "1"}, {"chk_trim", "1"}, {"txt_ctn", "Lyon"}, {"txt_spl", "3"}}, false},
        {"extract", Args{"--unique", "--trim", "--separator", ", "},
         C{{"chk_unik", "1"}, {"chk_trim", "1"}, {"txt_dlm", ", "}}, true},
        {"dbf", Args{}, C{}, false},
        {"dbf", Args{"--trim", "--contains", "Lyon"}, C{{"chk_trim", "1"}, {"txt_ctn", "Lyon"}}, false},
        {"dbf", Args{"--lower", "C00030", "--upper", "C00040"},
         C{{"txt_ptit", "C00030"}, {"txt_gran", "C00040"}}, false},
        {"dbf", Args{"--trim", "--lower", "C00005Bernard"},
         C{{"chk_trim", "1"}, {"txt_ptit", "C00005Bernard"}}, true},
    };
    for (const Case& c : cases) {
        const std::string window = in_window(c);
        EXPECT_EQ(window, in_batch(c));
        EXPECT_LT(0u, window.size());
    }
}

TEST_F(EquivalenceTest, AnalyseTellsWhatAnalyseInputShows) {
    const std::string big = data.write("big.txt", std::string(150'001, '\r'));
    start();
    for (const std::string& path : {input, big}) {
        BatchOutcome r = run_batch_in_process({"analyse", "--input", path});
        // The box's lines are parted by LF CR, the terminal's by LF.
        QString shown =
            to_widget_text(r.out).chopped(1).replace(QStringLiteral("\n"), QStringLiteral("\n\r"));
        find<QLineEdit>("txt_inp")->setText(to_widget_text(path));
        find<QAction>("mnu_ana")->setEnabled(true);
        desktop.expect_info(shown);
        pick("mnu_ana");
        desktop.verify();
        EXPECT_EQ(0, r.status);
        EXPECT_EQ("", r.err);
    }
}

}  // namespace
}  // namespace qvr::test
