#include "support/file_faults.h"
#include "support/main_window_fixture.h"
#include "support/unwritable_places.h"

namespace qvr::test {
namespace {

const QString kNoFile = QStringLiteral("<No file recalled or saved>");
const QString kDelimiterFilter = QStringLiteral("Delimiter file|*.tab");

class DefinitionFileCommandsTest : public FieldsWindowTest {
  protected:
    QString path(const std::string& name) { return q(data.file(name)); }
};

TEST_F(DefinitionFileCommandsTest, NewAsksAndResetsOnYesOnly) {
    data.write("a.tab", "a         1    1    1    \r\n");
    desktop.expect_open(path("a.tab"));
    pick("Recall1");
    pick("mnu_sge");
    desktop.expect_confirm(QStringLiteral("Is the former fields definition saved?"), kNo);
    pick("mnu_fdn");
    EXPECT_EQ(true, mdi->frame_of(mdi->frm_dlm)->isMaximized());
    EXPECT_EQ((Rows{{"a         ", "1", "1", "1"}}), shown());
    EXPECT_EQ(path("a.tab") + " | " + path("a.tab"), labels());

    desktop.expect_confirm(QStringLiteral("Is the former fields definition saved?"), kYes);
    pick("mnu_fdn");
    EXPECT_EQ(kNoFile + " | " + kNoFile, labels());
    press("cmd_add");
    EXPECT_EQ((Rows{{"1st field", "1", "10", "10"}, {"", "", "", ""}}), shown());
}

TEST_F(DefinitionFileCommandsTest, SaveAsWritesTheTableAndNamesTheFile) {
    desktop.expect_save(std::nullopt);  // Cancel changes nothing
    pick("SaveAs1");
    EXPECT_EQ(kNoFile + " | <none>", labels());
    EXPECT_EQ("", list_folder(data.path()));

    desktop.expect_save(path("result.qvo"));
    pick("mnu_out");
    pick("mnu_vde");
    desktop.expect_save(path("default.tab"));
    pick("SaveAs1");
    EXPECT_EQ("1st field 1    10   10   \r\n", read_file(data.file("default.tab")));
    EXPECT_EQ(path("default.tab") + " | " + path("default.tab"), labels());
    EXPECT_EQ(true, mdi->frame_of(mdi->frm_dlm)->isMaximized());  // the windows stay as they are
    EXPECT_EQ(kDelimiterFilter, desktop.dialog_states().back().filter);
    EXPECT_EQ(QStringLiteral("tab"), desktop.dialog_states().back().default_ext);
    EXPECT_EQ(path("result.qvo"), desktop.dialog_states().back().file_name);  // the name last chosen
    // Onto an existing file: replaced without a question.
    put_rows({{"x", "", "3", ""}});
    desktop.expect_save(path("default.tab"));
    pick("SaveAs1");
    EXPECT_EQ("x         0    3    0    \r\n", read_file(data.file("default.tab")));
    EXPECT_EQ("default.tab", list_folder(data.path()));
}

TEST_F(DefinitionFileCommandsTest, RecallReplacesTheWholeTable) {
    put_rows({{"a", "1", "1", "1"}, {"b", "2", "1", "2"}, {"c", "3", "1", "3"}, {"d", "4", "1", "4"}});
    click_cell(2, 4);
    pick("mnu_sge");
    data.write("three.tab", "One       1 5 5\r\nTwo\t      6\t2\t9 note\r\nThree     8 1 8");
    desktop.expect_open(path("three.tab"));
    pick("Recall1");
    EXPECT_EQ(
        (Rows{{"One       ", "1", "5", "5"}, {"Two\t      ", "6", "2", "9"}, {"Three     ", "8", "1", "8"}}),
        shown());
    EXPECT_EQ(std::make_pair(2, 3), current());  // the current row stays within the table
    EXPECT_EQ(path("three.tab") + " | " + path("three.tab"), labels());
    EXPECT_EQ(QString(), desktop.dialog_states().back().file_name);  // cleared before the dialog
    EXPECT_EQ(kDelimiterFilter, desktop.dialog_states().back().filter);
    EXPECT_EQ(kDelimiterFilter, mdi->opdlg_file.filter);  // kept for the next use
}

/// The Fields definition window after a definition file was recalled and a cell picked, so that a failure
/// can be seen to leave the table, the current cell and both labels as they were.
class DefinitionFaultsTest : public DefinitionFileCommandsTest {
  protected:
    void SetUp() override {
        DefinitionFileCommandsTest::SetUp();
        data.write("kept.tab", "kept      3 4 6\r\nalso      7 1 7\r\n");
        desktop.expect_open(path("kept.tab"));
        pick("Recall1");
        click_cell(1, 2);
    }

    void expect_as_before(const std::string& what) {
        EXPECT_EQ((Rows{{"kept      ", "3", "4", "6"}, {"also      ", "7", "1", "7"}}), shown()) << what;
        EXPECT_EQ(std::make_pair(1, 2), current()) << what;
        EXPECT_EQ(path("kept.tab") + " | " + path("kept.tab"), labels()) << what;
    }
};

TEST_F(DefinitionFaultsTest, ASaveThatFailsLeavesTheFormerFileTheTableAndTheLabels) {
    expect_unwritable_places_kept(
        "tab", "former    1 2 2\r\n",
        {{"/dev/full", "write", "No space left on device"},
         {"none/d.tab", "create", "No such file or directory"},
         {"taken.tab", "create", "Is a directory"},
         {"former.tab", "create", "Permission denied", 0444},
         {"former.tab", "write", "File too large", 0644, 40}},
        [&](const std::string& path, const std::string& error) {
            desktop.expect_save(q(path));
            desktop.expect_general_error(q(error));
            pick("SaveAs1");
            desktop.verify();
        },
        [&](const std::string& path) { expect_as_before(path); });
    // The program goes on: the next save works.
    desktop.expect_save(path("saved.tab"));
    pick("SaveAs1");
    EXPECT_EQ("kept      3    4    6    \r\nalso      7    1    7    \r\n",
              read_file(data.file("saved.tab")));
}

TEST_F(DefinitionFaultsTest, ARecallThatFailsLeavesTheTableAndTheLabels) {
    const std::string big = data.write("big.tab", std::string(60000, ' '));
    const std::string many_rows = data.write("rows.tab", std::string(1000, '\r'));
    const std::string empty = data.write("empty.tab", "");
    struct Case {
        std::string path;
        BoxKind kind;
        std::string message;
    };
    const Case cases[] = {
        {data.file("missing.tab"), BoxKind::general_error,
         "Cannot open file " + data.file("missing.tab") + ". No such file or directory."},
        {make_fifo(data.file("pipe.tab")), BoxKind::general_error,
         "Cannot open file " + data.file("pipe.tab") + ". It is not a regular file."},
        {data.write("letters.tab", "A         1 2 3\r\nB         4 five 6\r\n"), BoxKind::general_error,
         "'five' is not a valid integer value."},
        // A file chosen by mistake that would not fit in memory, by its bytes or by its rows.
        {big, BoxKind::general_error, "Cannot read file " + big + ". Cannot allocate memory."},
        {many_rows, BoxKind::general_error, "Cannot read file " + many_rows + ". Cannot allocate memory."},
        {empty, BoxKind::information,
         "The file " + empty + " holds no field definition. The fields definition is left as it was."},
    };
    memory.bytes = 50000;
    const HangGuard guard(60);
    for (const Case& c : cases) {
        desktop.expect_open(q(c.path));
        desktop.expect_box(c.kind, q(c.message), kOk, kOk);
        pick("Recall1");
        desktop.verify();
        expect_as_before(c.path);
    }
}

}  // namespace
}  // namespace qvr::test
