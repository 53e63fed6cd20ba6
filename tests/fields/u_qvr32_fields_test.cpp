#include <sys/stat.h>

#include "fields/fields_window_fixture.h"

namespace qvr::test {
namespace {

const QString kNoFile = QStringLiteral("<No file recalled or saved>");

class DefinitionFileCommandsTest : public FieldsWindowTest {
  protected:
    QString path(const std::string& name) { return QString::fromStdString(data.file(name)); }
};

TEST_F(DefinitionFileCommandsTest, NewAsksAndResetsOnYesOnly) {
    put_rows({{"a", "1", "1", "1"}, {"b", "2", "1", "2"}});
    data.write("a.tab", "a         1    1    1    \r\n");
    desktop.expect_open(path("a.tab"));
    pick("Recall1");
    pick("mnu_sge");

    desktop.expect_confirm(QStringLiteral("Is the former fields definition saved?"), kNo);
    pick("mnu_fdn");
    EXPECT_TRUE(mdi->frame_of(mdi->frm_dlm)->isMaximized());
    EXPECT_EQ((Rows{{"a         ", "1", "1", "1"}}), shown());
    EXPECT_EQ(path("a.tab"), file_label());
    EXPECT_EQ(path("a.tab"), general_label());

    desktop.expect_confirm(QStringLiteral("Is the former fields definition saved?"), kYes);
    pick("mnu_fdn");
    EXPECT_EQ((Rows{{"1st field", "1", "10", "10"}}), shown());
    EXPECT_EQ(kNoFile, file_label());
    EXPECT_EQ(kNoFile, general_label());
    QTest::mouseClick(button("cmd_add"), Qt::LeftButton);
    EXPECT_EQ((Rows{{"1st field", "1", "10", "10"}, {"", "", "", ""}}), shown());
}

TEST_F(DefinitionFileCommandsTest, SaveAsWritesTheTableAndNamesTheFile) {
    desktop.expect_save(path("result.qvo"));
    pick("mnu_out");
    pick("mnu_vde");
    desktop.expect_save(path("default.tab"));
    pick("SaveAs1");
    EXPECT_EQ("1st field 1    10   10   \r\n", read_file(data.file("default.tab")));
    EXPECT_EQ(27u, read_file(data.file("default.tab")).size());
    EXPECT_EQ(path("default.tab"), file_label());
    EXPECT_EQ(path("default.tab"), general_label());
    EXPECT_TRUE(mdi->frame_of(mdi->frm_dlm)->isMaximized());  // the windows stay as they are
    const FileDialogState& dialog = desktop.dialog_states().back();
    EXPECT_EQ(QStringLiteral("Delimiter file|*.tab"), dialog.filter);
    EXPECT_EQ(QStringLiteral("tab"), dialog.default_ext);
    EXPECT_EQ(path("result.qvo"), dialog.file_name);  // proposes the name last chosen

    // Onto an existing file: replaced without a question.
    put_rows({{"Customer code", "1", "12345", "12345"}, {"x", "", "3", ""}});
    desktop.expect_save(path("default.tab"));
    pick("SaveAs1");
    EXPECT_EQ("Customer c1    12345 12345 \r\nx         0    3    0    \r\n",
              read_file(data.file("default.tab")));
    EXPECT_EQ("default.tab", list_folder(data.path()));
}

TEST_F(DefinitionFileCommandsTest, SaveAsCancelledOrFailedChangesNothing) {
    desktop.expect_save(std::nullopt);
    pick("SaveAs1");
    EXPECT_EQ(kNoFile, file_label());
    EXPECT_EQ(QStringLiteral("<none>"), general_label());
    EXPECT_EQ("", list_folder(data.path()));

    desktop.expect_save(path("missing/d.tab"));
    desktop.expect_general_error(QString::fromStdString("Cannot create file " + data.file("missing/d.tab") +
                                                        ". No such file or directory."));
    pick("SaveAs1");
    EXPECT_EQ(kNoFile, file_label());
    EXPECT_EQ(QStringLiteral("<none>"), general_label());
}

TEST_F(DefinitionFileCommandsTest, RecallReplacesTheWholeTable) {
    put_rows({{"a", "1", "1", "1"},
              {"b", "2", "1", "2"},
              {"c", "3", "1", "3"},
              {"d", "4", "1", "4"},
              {"e", "5", "1", "5"}});
    click_cell(2, 5);
    pick("mnu_sge");
    data.write("three.tab", "One       1 5 5\r\nTwo\t      6\t2\t9 note\r\nThree     8 1 8");
    desktop.expect_open(path("three.tab"));
    pick("Recall1");
    EXPECT_TRUE(mdi->frame_of(mdi->frm_dlm)->isMaximized());
    EXPECT_EQ(
        (Rows{{"One       ", "1", "5", "5"}, {"Two\t      ", "6", "2", "9"}, {"Three     ", "8", "1", "8"}}),
        shown());
    EXPECT_EQ(std::make_pair(2, 3), current());  // the current row stays within the table
    EXPECT_EQ(path("three.tab"), file_label());
    EXPECT_EQ(path("three.tab"), general_label());
    const FileDialogState& dialog = desktop.dialog_states().back();
    EXPECT_EQ(QString(), dialog.file_name);  // cleared before the dialog
    EXPECT_EQ(QStringLiteral("Delimiter file|*.tab"), dialog.filter);
    EXPECT_EQ(QStringLiteral("Delimiter file|*.tab"), mdi->opdlg_file.filter);  // kept for the next use

    desktop.expect_open(std::nullopt);
    pick("Recall1");
    EXPECT_EQ(3u, shown().size());
}

struct RefusedCase {
    const char* file;
    const char* bytes;  // nullptr: no such file
    BoxKind kind;
    std::string message;
};

TEST_F(DefinitionFileCommandsTest, RefusedRecallLeavesTableAndLabels) {
    ::mkdir(data.file("folder.tab").c_str(), 0755);
    const RefusedCase cases[] = {
        {"missing.tab", nullptr, BoxKind::general_error,
         "Cannot open file " + data.file("missing.tab") + ". No such file or directory."},
        {"folder.tab", nullptr, BoxKind::general_error,
         "Cannot open file " + data.file("folder.tab") + ". Is a directory."},
        {"letters.tab", "A         1 2 3\r\nB         4 five 6\r\n", BoxKind::general_error,
         "'five' is not a valid integer value."},
        {"empty.tab", "", BoxKind::information,
         "The file " + data.file("empty.tab") +
             " holds no field definition. The fields definition is left as it was."},
    };
    data.write("kept.tab", "kept      3 4 6\r\nalso      7 1 7\r\n");
    desktop.expect_open(path("kept.tab"));
    pick("Recall1");
    click_cell(1, 2);
    const Rows before = shown();
    for (const RefusedCase& c : cases) {
        if (c.bytes) data.write(c.file, c.bytes);
        desktop.expect_open(path(c.file));
        desktop.expect_box(c.kind, QString::fromStdString(c.message), kOk, kOk);
        pick("Recall1");
        EXPECT_EQ(before, shown()) << c.file;
        EXPECT_EQ(std::make_pair(1, 2), current()) << c.file;
        EXPECT_EQ(path("kept.tab"), file_label()) << c.file;
        EXPECT_EQ(path("kept.tab"), general_label()) << c.file;
    }
}

}  // namespace
}  // namespace qvr::test
