#include <cstdio>

#include "batch_harness.h"
#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

using Args = std::vector<std::string>;

/// One control of the General data window and what it is set to: "1" or "0" for a tick box, the bytes of
/// the text for a text box.
struct Control {
    const char* name;
    std::string value;
};

/// One job, once as options of quarvel-batch and once as the windows hold it. No rows: the example's
/// field definition file, recalled in the window and given as --layout to the batch.
struct Case {
    Args options;
    std::vector<Control> controls;
    std::vector<FieldTable::Row> rows;
};

const Args kExampleLayout = {"--layout", examples_dir() + "customers.tab"};
const std::vector<FieldTable::Row> kThreeFields = {
    {"Code", "1", "6", "6"}, {"", "27", "15", "41"}, {" Amount ", "50", "10", "59"}};
const Args kThreeFieldOptions = {"--field", "Code:1:6", "--field", ":27:15", "--field", " Amount :50:10"};

class EquivalenceTest : public MainWindowTest {
  protected:
    void SetUp() override {
        input = data.write("customers.txt", read_file(examples_dir() + "customers.txt"));
    }

    /// A fresh program with the case's field table and General data settings.
    void start_with(const Case& c) {
        mdi.reset();
        start();
        desktop.expect_open(QString::fromStdString(examples_dir() + "customers.tab"));
        pick("Recall1");
        if (!c.rows.empty()) mdi->frm_dlm->field_table().assign_rows(c.rows);
        find<QLineEdit>("txt_inp")->setText(to_widget_text(input));
        for (const Control& control : c.controls) {
            if (control.name[0] == 'c') find<QCheckBox>(control.name)->setChecked(control.value == "1");
            if (control.name[0] == 't') find<QLineEdit>(control.name)->setText(to_widget_text(control.value));
        }
    }

    /// File > "&Go" in the windows; the result file's bytes.
    std::string window_extract(const Case& c) {
        start_with(c);
        const std::string output = data.file("window.txt");
        std::remove(output.c_str());
        find<QLineEdit>("txt_out")->setText(to_widget_text(output));
        const bool fast = find<QCheckBox>("chk_qck")->isChecked();
        desktop.expect_confirm(QStringLiteral("Keep imput view."), kYes);
        if (fast) desktop.expect_info(QStringLiteral("First 100 lines sent to \"view results\" window."));
        desktop.expect_info(QStringLiteral("Extract file generated"));
        pick("mnu_go");
        desktop.verify();
        return read_file(output);
    }

    /// File > "&Extract .DBF file" in the windows; the table's bytes.
    std::string window_dbf(const Case& c) {
        start_with(c);
        const std::string table = data.file("customers.dbf");
        std::remove(table.c_str());
        find<QAction>("mnu_dbf")->setEnabled(true);
        desktop.expect_info(to_widget_text(table + " generated"));
        pick("mnu_dbf");
        desktop.verify();
        return read_file(table);
    }

    /// The same job through quarvel-batch: what it wrote to `output`.
    std::string batch(Args args, const Case& c, const std::string& output) {
        const Args& layout = c.rows.empty() ? kExampleLayout : kThreeFieldOptions;
        args.insert(args.end(), layout.begin(), layout.end());
        args.insert(args.end(), c.options.begin(), c.options.end());
        std::remove(output.c_str());
        BatchOutcome r = run_batch_in_process(args);
        EXPECT_EQ(0, r.status) << r.err;
        return read_file(output);
    }

    std::string input;
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
        const std::string window = window_extract(c);
        EXPECT_EQ(window, batch({"extract", "--input", input, "--output", data.file("batch.txt")}, c,
                                data.file("batch.txt")));
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
        const std::string window = window_dbf(c);
        EXPECT_EQ(window, batch({"dbf", "--input", input, "--output", data.file("batch.dbf")}, c,
                                data.file("batch.dbf")));
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
    }
}

}  // namespace
}  // namespace qvr::test
