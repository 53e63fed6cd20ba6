#include <array>

#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

TEST_F(FieldsWindowTest, ShowsItsControlsAndTheDefaultTable) {
    EXPECT_EQ(QStringLiteral("<No file recalled or saved> | <none>"), labels());
    EXPECT_EQ(
        QStringLiteral("Please read carefully the instructions written on the left (double-click to make "
                       "this message not displayed again)."),
        grid()->toolTip());
    const std::array<const char*, 3> buttons[] = {
        {"cmd_add", "Add", "Add a line at the end of the table"},
        {"cmd_ins", "Insert", "Insert a line before the current one"},
        {"cmd_del", "Delete", "Delete the current line"},
        {"cmd_gen", "General data", "Go back to the general data window"},
    };
    for (const auto& [name, caption, hint] : buttons) {
        EXPECT_EQ(QString::fromLatin1(caption), button(name)->text());
        EXPECT_EQ(QString::fromLatin1(hint), button(name)->toolTip());
    }
    QStringList order;  // the focus goes round the controls in their tab order
    QWidget* w = grid();
    do {
        if (w->focusPolicy() & Qt::TabFocus) order << w->objectName();
        w = w->nextInFocusChain();
    } while (mdi->frm_dlm->isAncestorOf(w));
    EXPECT_EQ(QStringLiteral("grd_dlm cmd_add cmd_ins cmd_del mem_dlm cmd_gen"),
              order.join(QLatin1Char(' ')));
    QStringList titles;
    for (int column = 0; column < 4; ++column)
        titles << grid()->model()->headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(QStringLiteral("Field|Start position|Length|End position"), titles.join(QLatin1Char('|')));
    EXPECT_EQ(QAbstractItemView::NoEditTriggers, grid()->editTriggers());
    EXPECT_EQ((Rows{{"1st field", "1", "10", "10"}}), shown());
    EXPECT_EQ(std::make_pair(0, 1), current());

    auto* memo = find<QPlainTextEdit>("mem_dlm", mdi->frm_dlm);
    EXPECT_EQ(true, memo->isReadOnly());
    EXPECT_EQ(QColor(Qt::red), memo->palette().color(QPalette::Text));
    EXPECT_EQ(
        QStringLiteral("Here can be defined all \nthe fields by their \ncharacteristics:\n - field name\n"
                       " - start position: number of \nthe colunm in the \nbeginning of the field\n"
                       " - field length\n - end position:  number of \nthe colunm in the end of \n"
                       "the field\nTo navigate in the grid, \nuse the mouse or the \ndirection keys.\n\n"
                       "To update a cell, use the \nbackspace key and enter \nthe new value; WARNING, \n"
                       "press the RETURN key \nafter having entered the \nvalue."),
        memo->toPlainText());
}

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
        put_rows({{"above", "1", "1", "1"}, c.before});
        click_cell(c.column, 2);
        type(c.keys);
        EXPECT_EQ((Rows{{"above", "1", "1", "1"}, c.after}), shown()) << c.what;
    }
}

TEST_F(FieldsWindowTest, ArrowsAndClicksMoveTheCurrentCell) {
    put_rows({{"a", "1", "1", "1"}, {"b", "2", "1", "2"}, {"c", "3", "1", "3"}});
    click_cell(2, 3);
    type("^{");
    EXPECT_EQ(std::make_pair(1, 2), current());
    type("^^^");  // the title row never becomes current
    EXPECT_EQ(std::make_pair(1, 1), current());
    type("~}}}}");
    EXPECT_EQ(std::make_pair(3, 2), current());
}

TEST_F(FieldsWindowTest, EnterOnTheWindowAsksForTheCurrentCell) {
    put_rows({{"x", "5", "3", "7"}});
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
        put_rows(three);
        click_cell(1, c.row);
        press(c.button);
        EXPECT_EQ(c.after, shown()) << c.button << c.row;
        EXPECT_EQ(std::make_pair(1, c.current_row), current()) << c.button << c.row;
    }
    // The last row is never deleted; a row added after a Delete is empty.
    put_rows({three[0], three[1]});
    click_cell(0, 2);
    press("cmd_del");
    desktop.expect_info(QStringLiteral("At least one row is let."));
    press("cmd_del");
    press("cmd_add");
    type("z");
    EXPECT_EQ((Rows{{"az", "1", "1", "1"}, empty}), shown());
}

TEST_F(FieldsWindowTest, GeneralDataLeavesThePreviousJobsWindowAlone) {
    mdi->frame_of(mdi->frm_log)->showNormal();
    press("cmd_gen");
    EXPECT_EQ(true, mdi->frame_of(mdi->frm_gen)->isMaximized());
    EXPECT_EQ(true,
              mdi->frame_of(mdi->frm_dlm)->isMinimized() && mdi->frame_of(mdi->frm_view)->isMinimized());
    EXPECT_EQ(false,
              mdi->frame_of(mdi->frm_log)->isMinimized() || mdi->frame_of(mdi->frm_log)->isMaximized());
    EXPECT_EQ(mdi->frame_of(mdi->frm_gen), mdi->frame_of(mdi->frm_gen)->mdiArea()->activeSubWindow());
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
