#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

TEST_F(FieldsWindowTest, TypingBuildsTheCurrentCell) {
    struct Case {
        const char* what;
        FieldTable::Row before;
        int column;
        std::string keys;
        FieldTable::Row after;
    };
    const Case cases[] = {
        {"letters, blanks and signs in a number", {"x", "5", "3", "7"}, 2, "a -+", {"x", "5", "3", "7"}},
        {"a letter in the name column", {"x", "5", "3", "7"}, 0, "a", {"xa", "5", "3", "7"}},
        {"digits without Enter derive nothing", {"x", "5", "3", "7"}, 1, "12", {"x", "512", "3", "7"}},
        {"digits then Enter", {"x", "5", "3", "7"}, 1, "12\r", {"x", "512", "3", "514"}},
        {"Backspace on an empty cell", {"", "", "", ""}, 1, "\b", {"", "", "", ""}},
        {"Backspace removes the last character only", {"ab", "12", "", ""}, 0, "\b", {"a", "12", "", ""}},
        {"Escape, Ctrl+A and Alt+Q are no characters",
         {"ab", "1", "", ""},
         0,
         "\x1b\x01\x11z",
         {"abz", "1", "", ""}},
        {"arrows move the cell typed into", {"n", "", "", ""}, 0, "}5}}9\r", {"n", "5", "5", "9"}},
    };
    for (const Case& c : cases) {
        set_rows({{"above", "1", "1", "1"}, c.before});
        click_cell(c.column, 2);
        type(c.keys);
        EXPECT_EQ((Rows{{"above", "1", "1", "1"}, c.after}), shown()) << c.what;
    }
}

TEST_F(FieldsWindowTest, ArrowsAndClicksMoveTheCurrentCell) {
    set_rows({{"a", "1", "1", "1"}, {"b", "2", "1", "2"}, {"c", "3", "1", "3"}});
    click_cell(2, 3);
    type("^{");
    EXPECT_EQ(std::make_pair(1, 2), current());
    type("^^^");  // the title row never becomes current
    EXPECT_EQ(std::make_pair(1, 1), current());
    type("~}}}}");
    EXPECT_EQ(std::make_pair(3, 2), current());
}

TEST_F(FieldsWindowTest, EnterOnTheWindowAsksForTheCurrentCell) {
    set_rows({{"x", "5", "3", "7"}});
    click_cell(2, 1);
    mdi->frm_dlm->setFocus();
    desktop.expect_input(QStringLiteral("Enter..."), QStringLiteral("Length"), QString(),
                         QStringLiteral("12a"));
    QTest::keyClick(mdi->frm_dlm, Qt::Key_Return);
    EXPECT_EQ((Rows{{"x", "5", "12a", "7"}}), shown());  // taken as it is, nothing derived
    click_cell(0, 1);
    mdi->frm_dlm->setFocus();
    desktop.expect_input(QStringLiteral("Enter..."), QStringLiteral("Field"), QString(), std::nullopt);
    QTest::keyClick(mdi->frm_dlm, Qt::Key_Enter);
    EXPECT_EQ((Rows{{"", "5", "12a", "7"}}), shown());  // Cancel gives the empty default
    button("cmd_add")->setFocus();                      // Enter on a focused button is not the window's
    QTest::keyClick(button("cmd_add"), Qt::Key_Return);
    EXPECT_EQ((Rows{{"", "5", "12a", "7"}}), shown());
}

TEST_F(FieldsWindowTest, AddInsertAndDeleteRows) {
    const Rows three = {{"a", "1", "1", "1"}, {"b", "2", "1", "2"}, {"c", "3", "1", "3"}};
    const FieldTable::Row empty = {"", "", "", ""};
    struct Case {
        const char* button;
        int row;
        Rows after;
        int current_row;
    };
    const Case cases[] = {
        {"cmd_ins", 2, {three[0], empty, three[1], three[2]}, 2},
        {"cmd_del", 2, {three[0], three[2]}, 2},
        {"cmd_del", 3, {three[0], three[1]}, 2},  // the current row stays within the table
        {"cmd_add", 2, {three[0], three[1], three[2], empty}, 2},
    };
    for (const Case& c : cases) {
        set_rows(three);
        click_cell(1, c.row);
        press(c.button);
        EXPECT_EQ(c.after, shown()) << c.button << c.row;
        EXPECT_EQ(std::make_pair(1, c.current_row), current()) << c.button << c.row;
    }
    // The last row is never deleted; a row added after a Delete is empty.
    set_rows({three[0], three[1]});
    click_cell(0, 2);
    press("cmd_del");
    desktop.expect_info(QStringLiteral("At least one row is let."));
    press("cmd_del");
    press("cmd_add");
    type("z");
    EXPECT_EQ((Rows{{"az", "1", "1", "1"}, empty}), shown());
}

TEST_F(FieldsWindowTest, DoubleClickTurnsTheHintOffForGood) {
    QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(false, mdi->frm_dlm->hint_shown());
    press("cmd_gen");
    pick("mnu_vde");
    EXPECT_EQ(QString(), grid()->toolTip());
    EXPECT_EQ(QStringLiteral("Add a line at the end of the table"), button("cmd_add")->toolTip());
}

}  // namespace
}  // namespace qvr::test
