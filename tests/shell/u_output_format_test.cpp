#include <gmock/gmock.h>

#include <QComboBox>

#include "desktop/text_box.h"
#include "outputs/read_back.h"
#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

// General data's Output format: File > Go writes a table of a database, named after the input, and asks
// before it may replace one when the database is there; the result view, which shows separated text, stays
// empty and the last box says so.
TEST_F(MainWindowTest, GoWritesTheDatabaseTableTheOutputFormatChooses) {
    start();
    clear_box(mdi->frm_view->input_view());
    set_text("txt_inp", data.write("in.txt", "ABC12\r\nXY 7\r\n"));
    const std::string db = data.file("out.db");
    set_text("txt_out", db);
    set_rows({{"Name", "1", "3", ""}, {"Code", "4", "2", ""}});
    find<QComboBox>("cbo_ofmt")->setCurrentIndex(1);
    const QString written = QStringLiteral(
        "Database table written (named after the input file); the result view shows separated text only");
    desktop.expect_info(written);
    pick("mnu_go");
    desktop.verify();
    EXPECT_THAT(query(db, "SELECT * FROM \"in\""),
                testing::ElementsAre("text:ABC|text:12", "text:XY |text:7"));
    EXPECT_TRUE(mdi->frm_view->result_view()->toPlainText().isEmpty());

    set_text("txt_inp", data.write("in.txt", "DEF34\r\n"));
    desktop.expect_confirm(
        QStringLiteral("The database already exists: its other tables are kept. Replace its "
                       "table named after the input file, if it has one ?"),
        kYes);
    desktop.expect_info(written);
    pick("mnu_go");
    desktop.verify();
    EXPECT_THAT(query(db, "SELECT * FROM \"in\""), testing::ElementsAre("text:DEF|text:34"));

    // A name in General data names the table instead; the field is for tables and sheets only.
    set_text("txt_tbl", "people");
    desktop.expect_confirm(
        QStringLiteral(
            "The database already exists: its other tables are kept. Replace its table named people, "
            "if it has one ?"),
        kYes);
    desktop.expect_info(
        QStringLiteral("Database table written (named people); the result view shows separated text only"));
    pick("mnu_go");
    desktop.verify();
    EXPECT_THAT(query(db, "SELECT * FROM people"), testing::ElementsAre("text:DEF|text:34"));
    EXPECT_THAT(query(db, "SELECT * FROM \"in\""), testing::ElementsAre("text:DEF|text:34"));
    find<QComboBox>("cbo_ofmt")->setCurrentIndex(0);
    EXPECT_FALSE(find<QWidget>("txt_tbl")->isEnabled());
}

}  // namespace
}  // namespace qvr::test
