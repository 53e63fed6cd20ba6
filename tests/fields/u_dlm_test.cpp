#include "fields/u_dlm.h"

#include <QHeaderView>
#include <QPlainTextEdit>

#include "fields/fields_window_fixture.h"
#include "input/u_view.h"
#include "shell/u_log.h"

namespace qvr::test {
namespace {

const QString kHint = QStringLiteral(
    "Please read carefully the instructions written on the left (double-click to make this message not "
    "displayed again).");

TEST_F(FieldsWindowTest, ShowsItsControlsAndTheDefaultTable) {
    Tfrm_dlm* window = mdi->frm_dlm;
    EXPECT_EQ(QStringLiteral("<No file recalled or saved>"), file_label());
    EXPECT_EQ(QPoint(8, 8), find<QLabel>("lbl_dlm", window)->pos());
    EXPECT_EQ(QRect(152, 40, 393, 329), grid()->geometry());
    EXPECT_EQ(kHint, grid()->toolTip());
    struct Button {
        const char* name;
        QRect place;
        const char* caption;
        const char* hint;
    };
    const Button buttons[] = {
        {"cmd_add", {568, 40, 75, 33}, "Add", "Add a line at the end of the table"},
        {"cmd_ins", {568, 72, 75, 33}, "Insert", "Insert a line before the current one"},
        {"cmd_del", {568, 104, 75, 33}, "Delete", "Delete the current line"},
        {"cmd_gen", {568, 216, 75, 41}, "General data", "Go back to the general data window"},
    };
    for (const Button& b : buttons) {
        EXPECT_EQ(b.place, button(b.name)->geometry()) << b.name;
        EXPECT_EQ(QString::fromLatin1(b.caption), button(b.name)->text()) << b.name;
        EXPECT_EQ(QString::fromLatin1(b.hint), button(b.name)->toolTip()) << b.name;
    }
    // The focus goes round the controls in their tab order.
    QStringList order;
    QWidget* w = grid();
    do {
        if (w->focusPolicy() & Qt::TabFocus) order << w->objectName();
        w = w->nextInFocusChain();
    } while (window->isAncestorOf(w));
    EXPECT_EQ(QStringLiteral("grd_dlm cmd_add cmd_ins cmd_del mem_dlm cmd_gen"),
              order.join(QLatin1Char(' ')));

    QHeaderView* titles = grid()->horizontalHeader();
    const int widths[] = {151, 74, 73, 71};
    const char* headers[] = {"Field", "Start position", "Length", "End position"};
    for (int column = 0; column < 4; ++column) {
        EXPECT_EQ(widths[column], grid()->columnWidth(column));
        EXPECT_EQ(QString::fromLatin1(headers[column]), grid()->model()->headerData(column, Qt::Horizontal));
    }
    EXPECT_TRUE(titles->isVisible());
    EXPECT_FALSE(grid()->verticalHeader()->isVisible());
    EXPECT_EQ(QAbstractItemView::NoEditTriggers, grid()->editTriggers());
    EXPECT_EQ((Rows{{"1st field", "1", "10", "10"}}), shown());
    EXPECT_EQ(std::make_pair(0, 1), current());
}

TEST_F(FieldsWindowTest, InstructionTextStandsInRedLineForLine) {
    auto* memo = find<QPlainTextEdit>("mem_dlm", mdi->frm_dlm);
    EXPECT_EQ(QRect(8, 40, 137, 297), memo->geometry());
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_EQ(QColor(Qt::red), memo->palette().color(QPalette::Text));
    const QStringList lines = {
        "Here can be defined all ",
        "the fields by their ",
        "characteristics:",
        " - field name",
        " - start position: number of ",
        "the colunm in the ",
        "beginning of the field",
        " - field length",
        " - end position:  number of ",
        "the colunm in the end of ",
        "the field",
        "To navigate in the grid, ",
        "use the mouse or the ",
        "direction keys.",
        "",
        "To update a cell, use the ",
        "backspace key and enter ",
        "the new value; WARNING, ",
        "press the RETURN key ",
        "after having entered the ",
        "value.",
    };
    EXPECT_EQ(lines, memo->toPlainText().split(QLatin1Char('\n')));
}

struct TypingCase {
    const char* what;
    FieldTable::Row before;
    int column;
    std::string keys;
    FieldTable::Row after;
};

TEST_F(FieldsWindowTest, TypingBuildsTheCurrentCell) {
    const TypingCase cases[] = {
        {"a letter in the length column", {"x", "5", "3", "7"}, 2, "a", {"x", "5", "3", "7"}},
        {"a letter in the name column", {"x", "5", "3", "7"}, 0, "a", {"xa", "5", "3", "7"}},
        {"digits without Enter derive nothing", {"x", "5", "3", "7"}, 1, "12", {"x", "512", "3", "7"}},
        {"digits then Enter", {"x", "5", "3", "7"}, 1, "12\r", {"x", "512", "3", "514"}},
        {"Enter in the end column", {"x", "5", "2", "3"}, 3, "\r", {"x", "5", "1", "5"}},
        {"Enter in the name column", {"x", "", "", "7"}, 0, "\r", {"x", "", "", "7"}},
        {"Backspace on an empty cell", {"", "", "", ""}, 1, "\b", {"", "", "", ""}},
        {"Backspace removes the last character only", {"ab", "12", "", ""}, 0, "\b", {"a", "12", "", ""}},
        {"Backspace twice in a number", {"n", "123", "", ""}, 1, "\b\b", {"n", "1", "", ""}},
        {"Backspace then digits replace a value", {"n", "9", "2", "10"}, 1, "\b4\r", {"n", "4", "2", "5"}},
        {"digits and blanks in a name", {"", "", "", ""}, 0, "No 1", {"No 1", "", "", ""}},
        {"capitals and signs in a name", {"", "", "", ""}, 0, "Zip-Code!", {"Zip-Code!", "", "", ""}},
        {"a blank in a number", {"n", "1", "", ""}, 1, " -+", {"n", "1", "", ""}},
        {"Escape, Ctrl+A and Alt+Q are no characters",
         {"ab", "1", "", ""},
         0,
         "\x1b\x01\x11"
         "c",
         {"abc", "1", "", ""}},
        {"arrows move the cell typed into", {"n", "", "", ""}, 0, "}5}}9\r", {"n", "5", "5", "9"}},
    };
    for (const TypingCase& c : cases) {
        put_rows({{"above", "1", "1", "1"}, c.before});
        click_cell(c.column, 2);
        type(c.keys);
        EXPECT_EQ((Rows{{"above", "1", "1", "1"}, c.after}), shown()) << c.what;
    }
}

TEST_F(FieldsWindowTest, ArrowsAndClicksMoveTheCurrentCell) {
    put_rows({{"a", "1", "1", "1"}, {"b", "2", "1", "2"}, {"c", "3", "1", "3"}});
    click_cell(2, 3);
    EXPECT_EQ(std::make_pair(2, 3), current());
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
    // Enter on a focused button is not the window's.
    button("cmd_add")->setFocus();
    QTest::keyClick(button("cmd_add"), Qt::Key_Return);
    EXPECT_EQ((Rows{{"", "5", "12a", "7"}}), shown());
}

struct RowCommandCase {
    const char* what;
    const char* button;
    int row;
    Rows after;
    int current_row;
};

TEST_F(FieldsWindowTest, AddInsertAndDeleteRows) {
    const Rows three = {{"a", "1", "1", "1"}, {"b", "2", "1", "2"}, {"c", "3", "1", "3"}};
    const FieldTable::Row empty = {"", "", "", ""};
    const RowCommandCase cases[] = {
        {"insert on the first row", "cmd_ins", 1, {empty, three[0], three[1], three[2]}, 1},
        {"insert on the middle row", "cmd_ins", 2, {three[0], empty, three[1], three[2]}, 2},
        {"insert on the last row", "cmd_ins", 3, {three[0], three[1], empty, three[2]}, 3},
        {"delete the first row", "cmd_del", 1, {three[1], three[2]}, 1},
        {"delete the middle row", "cmd_del", 2, {three[0], three[2]}, 2},
        {"delete the last row", "cmd_del", 3, {three[0], three[1]}, 2},
        {"add", "cmd_add", 2, {three[0], three[1], three[2], empty}, 2},
    };
    for (const RowCommandCase& c : cases) {
        put_rows(three);
        click_cell(1, c.row);
        QTest::mouseClick(button(c.button), Qt::LeftButton);
        EXPECT_EQ(c.after, shown()) << c.what;
        EXPECT_EQ(std::make_pair(1, c.current_row), current()) << c.what;
    }
    // The grid keeps its column widths through the changes.
    EXPECT_EQ(151, grid()->columnWidth(0));
    EXPECT_EQ(71, grid()->columnWidth(3));
}

TEST_F(FieldsWindowTest, TheLastRowIsNeverDeleted) {
    put_rows({{"only", "4", "2", "5"}});
    desktop.expect_info(QStringLiteral("At least one row is let."));
    QTest::mouseClick(button("cmd_del"), Qt::LeftButton);
    EXPECT_EQ((Rows{{"only", "4", "2", "5"}}), shown());
    // Add right after a Delete gives an empty row.
    put_rows({{"a", "1", "1", "1"}, {"b", "2", "1", "2"}});
    click_cell(0, 2);
    QTest::mouseClick(button("cmd_del"), Qt::LeftButton);
    QTest::mouseClick(button("cmd_add"), Qt::LeftButton);
    EXPECT_EQ((Rows{{"a", "1", "1", "1"}, {"", "", "", ""}}), shown());
    type("z");
    EXPECT_EQ((Rows{{"az", "1", "1", "1"}, {"", "", "", ""}}), shown());  // the current cell stayed
}

TEST_F(FieldsWindowTest, GeneralDataLeavesThePreviousJobsWindowAlone) {
    mdi->frame_of(mdi->frm_log)->showNormal();
    QTest::mouseClick(button("cmd_gen"), Qt::LeftButton);
    EXPECT_TRUE(mdi->frame_of(mdi->frm_gen)->isMaximized());
    EXPECT_TRUE(mdi->frame_of(mdi->frm_dlm)->isMinimized());
    EXPECT_TRUE(mdi->frame_of(mdi->frm_view)->isMinimized());
    QMdiSubWindow* log = mdi->frame_of(mdi->frm_log);
    EXPECT_FALSE(log->isMinimized() || log->isMaximized());
    EXPECT_EQ(mdi->frame_of(mdi->frm_gen), mdi->frame_of(mdi->frm_gen)->mdiArea()->activeSubWindow());
}

TEST_F(FieldsWindowTest, DoubleClickTurnsTheHintOffForGood) {
    EXPECT_TRUE(mdi->frm_dlm->hint_shown());
    QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(mdi->frm_dlm->hint_shown());
    EXPECT_EQ(QString(), grid()->toolTip());
    QTest::mouseClick(button("cmd_gen"), Qt::LeftButton);
    pick("mnu_vde");
    EXPECT_EQ(QString(), grid()->toolTip());
    EXPECT_EQ(QStringLiteral("Add a line at the end of the table"), button("cmd_add")->toolTip());
}

}  // namespace
}  // namespace qvr::test
