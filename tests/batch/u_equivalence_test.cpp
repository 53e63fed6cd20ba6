#include <cstdio>

#include "batch_harness.h"
#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

using Args = std::vector<std::string>;

/// One job, once as options of quarvel-batch and once as the windows hold it: the General data window's
/// controls, by name, set to "1" or "0" (tick boxes) or the text's bytes; the field table's rows, or none
/// for the example's field definition file, recalled in the window and given as --layout to the batch.
struct Case {
    Args options;
    std::vector<std::pair<const char*, std::string>> controls;
    std::vector<FieldTable::Row> rows;
};

const std::vector<FieldTable::Row> kThreeFields = {
    {"Code", "1", "6", "6"}, {"", "27", "15", "41"}, {" Amount ", "50", "10", "59"}};

class EquivalenceTest : public MainWindowTest {
  protected:
    /// A fresh program with the case's field table and General data settings, then File > "&Go" or
    /// "&Extract .DBF file"; the bytes of the file written.
    std::string in_window(const Case& c, bool dbf) {
        mdi.reset();
        start();
        desktop.expect_open(q(examples_dir() + "customers.tab"));
        pick("Recall1");
        if (!c.rows.empty()) set_rows(c.rows);
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

    /// The same job through quarvel-batch `command`: the bytes it wrote.
    std::string in_batch(const char* command, const Case& c) {
        const std::string output = data.file(std::string("batch.") + command);
        Args args = {command, "--input", input, "--output", output};
        if (c.rows.empty())
            args.insert(args.end(), {"--layout", examples_dir() + "customers.tab"});
        else
            args.insert(args.end(),
                        {"--field", "Code:1:6", "--field", ":27:15", "--field", " Amount :50:10"});
        args.insert(args.end(), c.options.begin(), c.options.end());
        std::remove(output.c_str());
        BatchOutcome r = run_batch_in_process(args);
        EXPECT_EQ(0, r.status) << r.err;
        return read_file(output);
    }

    std::string input = data.write("customers.txt", read_file(examples_dir() + "customers.txt"));
};

TEST_F(EquivalenceTest, ExtractWritesTheBytesOfFileGo) {
    const Case cases[] = {
        {{}, {}, {}},
        {{"--no-header", "--separator", "|", "--numbers", "--sorted", "--trim"},
         {{"chk_head", "0"}, {"txt_dlm", "|"}, {"chk_nbr", "1"}, {"chk_sort", "1"}, {"chk_trim", "1"}},
         {}},
        {{"--tab", "--lower", "C00010", "--upper", "C00020", "--sample", "7"},
         {{"chk_dlm", "1"}, {"txt_ptit", "C00010"}, {"txt_gran", "C00020"}, {"txt_spl", "7"}},
         {}},
        {{"--contains", "\xE9", "--trim"}, {{"txt_ctn", "\xE9"}, {"chk_trim", "1"}}, {}},
        {{"--fast", "--trim", "--contains", "Lyon", "--sample", "3"},
         {{"chk_qck", "1"}, {"chk_trim", "1"}, {"txt_ctn", "Lyon"}, {"txt_spl", "3"}},
         {}},
        {{"--unique", "--trim", "--separator", ", "},
         {{"chk_unik", "1"}, {"chk_trim", "1"}, {"txt_dlm", ", "}},
         kThreeFields},
    };
    for (const Case& c : cases) {
        const std::string window = in_window(c, false);
        EXPECT_EQ(window, in_batch("extract", c));
        EXPECT_LT(0u, window.size());
    }
}

TEST_F(EquivalenceTest, DbfWritesTheBytesOfExtractDbfFile) {
    const Case cases[] = {
        {{}, {}, {}},
        {{"--trim", "--contains", "Lyon"}, {{"chk_trim", "1"}, {"txt_ctn", "Lyon"}}, {}},
        {{"--lower", "C00030", "--upper", "C00040"}, {{"txt_ptit", "C00030"}, {"txt_gran", "C00040"}}, {}},
        {{"--trim", "--lower", "C00005Bernard"},
         {{"chk_trim", "1"}, {"txt_ptit", "C00005Bernard"}},
         kThreeFields},
    };
    for (const Case& c : cases) {
        const std::string window = in_window(c, true);
        EXPECT_EQ(window, in_batch("dbf", c));
        EXPECT_LT(0u, window.size());
    }
}

TEST_F(EquivalenceTest, AnalyseTellsWhatAnalyseInputShows) {
    const std::string big = data.write("big.txt", std::string(150'001, '\r'));
    for (const std::string& path : {input, big}) {
        BatchOutcome r = run_batch_in_process({"analyse", "--input", path});
        // The box's lines are parted by LF CR, the terminal's by LF.
        QString shown =
            to_widget_text(r.out).chopped(1).replace(QStringLiteral("\n"), QStringLiteral("\n\r"));
        mdi.reset();
        start();
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
