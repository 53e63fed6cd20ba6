#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

const QString kSavedQuestion = QStringLiteral("Is the former fields definition saved?");

/// Fields definition > "Detect from input" and "Check against input" on the file named in General data.
class FieldsFromInputTest : public FieldsWindowTest {
  protected:
    std::string input() {
        return data.write("input.txt",
                          "101 SMITH        0012.50\r\n"
                          "202 JONESY ANN   0100.00\r\n"
                          "303 LEE          0003.75\r\n"
                          "404 BROWN BOBBY  1234.00\r\n");
    }
};

TEST_F(FieldsFromInputTest, DetectFillsTheTableAndAsksFirstWhenItWasChanged) {
    EXPECT_FALSE(enabled("mnu_fdt"));
    open_input(input());
    pick("mnu_fdt");  // the table as start-up left it: no question
    EXPECT_TRUE(mdi->frame_of(mdi->frm_dlm)->isMaximized());
    const Rows found = {{"FIELD1", "1", "4", "4"}, {"FIELD2", "5", "13", "17"}, {"FIELD3", "18", "7", "24"}};
    EXPECT_EQ(found, shown());
    EXPECT_EQ(QStringLiteral("<No file recalled or saved> | <No file recalled or saved>"), labels());
    EXPECT_TRUE(mdi->frm_dlm->table_changed());  // found, not saved
    EXPECT_FALSE(find<QWidget>("gge_run")->isVisible());

    set_rows({{"x", "1", "1", "1"}});
    desktop.expect_confirm(kSavedQuestion, kNo);
    pick("mnu_fdt");
    EXPECT_EQ((Rows{{"x", "1", "1", "1"}}), shown());
    desktop.expect_confirm(kSavedQuestion, kYes);
    pick("mnu_fdt");
    EXPECT_EQ(found, shown());

    set_text("txt_inp", data.write("binary.txt", std::string(4000, '\0')));
    desktop.expect_confirm(kSavedQuestion, kYes);
    desktop.expect_info(
        q("The file " + data.file("binary.txt") +
          " holds binary data, not fixed-column text. The fields definition is left as it was."));
    pick("mnu_fdt");
    set_text("txt_inp", data.file("gone.txt"));
    desktop.expect_confirm(kSavedQuestion, kYes);
    desktop.expect_general_error(
        q("Cannot open file " + data.file("gone.txt") + ". No such file or directory."));
    pick("mnu_fdt");
    EXPECT_EQ(found, shown());
}

TEST_F(FieldsFromInputTest, CheckShowsTheReportInATextWindow) {
    open_input(input());
    set_rows({{"Code", "1", "3", "3"}, {"Name", "5", "9", "13"}, {"Amount", "17", "5", "21"}});
    desktop.expect_text(
        QStringLiteral("Check against input"),
        q("Input file: " + data.file("input.txt") +
          "\nLines: 4\n"
          "Line length: shortest 24 (4 lines), longest 24 (4 lines), most common 24 (4 lines)\n"
          "Lines with text past the last field: 4, the first at line 1\n"
          "Text in column 14, which no field covers, the first at line 2\n"
          "Text in column 15, which no field covers, the first at line 4\n"));
    pick("mnu_fck");
}

}  // namespace
}  // namespace qvr::test
