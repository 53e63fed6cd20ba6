#include <QApplication>
#include <QHeaderView>

#include "input/u_preview.h"
#include "support/file_faults.h"
#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

/// The input view of three lines "0123456789ABCDEFGHIJ" and the ways a user points at its columns.
class ViewFieldsTest : public MainWindowTest {
  protected:
    void SetUp() override {
        start();
        open_input(data.write("input.txt", repeated("0123456789ABCDEFGHIJ\r\n", 3)));
        pick("mnu_vwi");
        box()->setFocus();
    }
    LineView* box() { return find<LineView>("mem_inp"); }
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier, int times = 1) {
        for (int i = 0; i < times; ++i) QTest::keyClick(box(), k, mods);
    }
    /// The point of the place before `column` (0-based) on view line `line`.
    QPoint at(int line, int column) {
        const QFontMetrics m = box()->fontMetrics();
        return {4 + column * m.horizontalAdvance(QLatin1Char('M')), 4 + line * m.lineSpacing() + 2};
    }
    std::string status() { return from_widget_text(label("lbl_vpos")); }
    FieldTable& table() { return mdi->frm_dlm->field_table(); }
    FieldTable::Row last_row() {
        FieldTable::Row row;
        for (int c = 0; c < FieldTable::kColumns; ++c) row[c] = table().cell(c, table().row_count());
        return row;
    }
    /// The bands painted on the view, as "first-last tip" (columns from 1).
    std::string bands() {
        std::string out;
        for (const ColumnBand& b : box()->column_bands())
            out += std::to_string(b.first + 1) + "-" + std::to_string(b.last + 1) + " " +
                   from_widget_text(b.tip) + "; ";
        return out;
    }
};

TEST_F(ViewFieldsTest, ASelectionByKeysOrMouseBecomesTheNextField) {
    struct Case {
        bool ruler;
        bool mouse;
        int line;  // of the input, from 0
        int from;  // column, from 0
        int count;
        FieldTable::Row row;
    };
    const Case cases[] = {
        {false, false, 0, 0, 3, {"FIELD2", "1", "3", "3"}},
        {false, false, 2, 12, 5, {"FIELD3", "13", "5", "17"}},
        {true, false, 1, 7, 1, {"FIELD4", "8", "1", "8"}},
        {false, true, 1, 4, 6, {"FIELD5", "5", "6", "10"}},
        {true, true, 2, 10, 10, {"FIELD6", "11", "10", "20"}},
    };
    for (const Case& c : cases) {
        tick("chk_rule", c.ruler);
        const int line = c.line + (c.ruler ? 4 : 0);  // below the ruler block
        if (c.mouse) {
            QTest::mousePress(box()->viewport(), Qt::LeftButton, {}, at(line, c.from));
            QTest::mouseMove(box()->viewport(), at(line, c.from + c.count));
            QTest::mouseRelease(box()->viewport(), Qt::LeftButton, {}, at(line, c.from + c.count));
        } else {
            key(Qt::Key_Home, Qt::ControlModifier);
            key(Qt::Key_Down, Qt::NoModifier, line);
            key(Qt::Key_Right, Qt::NoModifier, c.from);
            key(Qt::Key_Right, Qt::ShiftModifier, c.count);
        }
        key(Qt::Key_Insert);
        EXPECT_EQ(c.row, last_row()) << c.row[0];
        EXPECT_EQ(c.row[0], from_widget_text(find<QTableView>("grd_dlm")->currentIndex().data().toString()));
    }
    EXPECT_EQ(6, table().row_count());
    // Over two lines there is no field to take.
    box()->set_selection(5, 30);
    desktop.expect_info(QStringLiteral("Select the columns of the field within one line first."));
    key(Qt::Key_Insert);
    EXPECT_EQ(6, table().row_count());
}

TEST_F(ViewFieldsTest, TheStatusLineTellsTheCursorAndTheSelection) {
    const struct {
        std::uint64_t anchor, position;
        std::string text;
    } cases[] = {
        {0, 0, "Column 1"},
        {7, 7, "Column 8"},
        {2, 5, "Column 6 | Selection: columns 3 to 5, length 3"},
        {9, 4, "Column 5 | Selection: columns 5 to 9, length 5"},
        {21, 41, "Column 21 | Selection: columns 1 to 20, length 20"},  // the whole second line
        {3, 25, "Column 5 | Selection over 2 lines: 22 characters"},
    };
    for (const auto& c : cases) {
        box()->set_selection(c.anchor, c.position);
        EXPECT_EQ(c.text, status());
    }
}

TEST_F(ViewFieldsTest, TheColoursFollowTheFieldTable) {
    table().assign_rows(
        {{"A", "1", "5", "5"}, {"B", "4", "4", "7"}, {"none", "9", "0", ""}, {"C", "12", "2", "13"}});
    EXPECT_EQ("", bands());  // until the option is ticked
    tick("chk_tint", true);
    EXPECT_EQ("1-3 A; 4-5 A, B: overlap; 6-7 B; 12-13 C; ", bands());
    const QColor tints[] = {box()->column_bands()[0].colour, box()->column_bands()[2].colour,
                            box()->column_bands()[3].colour};
    EXPECT_NE(tints[0], tints[1]);
    EXPECT_EQ(tints[0], tints[2]);
    EXPECT_EQ(QStringLiteral("No field covers this column"), box()->tip_at(at(0, 8)));
    EXPECT_EQ(QStringLiteral("C"), box()->tip_at(at(2, 12)));

    auto press = [&](const char* button) { QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton); };
    mdi->frm_dlm->set_current_cell(0, 2);
    press("cmd_del");
    press("cmd_del");
    EXPECT_EQ("1-5 A; 12-13 C; ", bands());
    press("cmd_ins");
    table().set_cell(FieldTable::kStart, 2, "6");
    table().set_cell(FieldTable::kLength, 2, "6");
    table().set_cell(FieldTable::kName, 2, "N");
    EXPECT_EQ("1-5 A; 6-11 N; 12-13 C; ", bands());
    press("cmd_add");
    box()->set_selection(13, 16);
    key(Qt::Key_Insert);
    EXPECT_EQ("1-5 A; 6-11 N; 12-13 C; 14-16 FIELD5; ", bands());
    tick("chk_tint", false);
    EXPECT_EQ("", bands());
}

TEST_F(ViewFieldsTest, ThePreviewFollowsTheTableAndTrimming) {
    const std::string path = data.write("padded.txt", repeated("ab  12 \r\n", 250));
    set_text("txt_inp", path);
    table().assign_rows({{"Code", "1", "4", "4"}, {"Num", "5", "3", "7"}});
    tick("chk_prev", true);
    Tfrm_preview* preview = mdi->frm_view->preview();
    ASSERT_TRUE(preview->isVisible());
    auto shown = [&] {
        QAbstractItemModel* m = preview->grid()->model();
        std::string out;
        for (int c = 0; c < m->columnCount(); ++c)
            out += from_widget_text(m->headerData(c, Qt::Horizontal).toString()) + "|";
        out += " " + std::to_string(m->rowCount()) + " rows: ";
        for (int c = 0; c < m->columnCount(); ++c)
            out += "[" + from_widget_text(m->index(199, c).data().toString()) + "]";
        return out;
    };
    EXPECT_EQ("Code|Num| 200 rows: [ab  ][12 ]", shown());
    EXPECT_EQ(q("First 200 lines of " + path + ", cut into 2 fields"), preview->message());
    table().set_cell(FieldTable::kLength, 1, "2");
    EXPECT_EQ("Code|Num| 200 rows: [ab][12 ]", shown());
    table().set_row_count(3);
    table().set_cell(FieldTable::kName, 3, "All");
    table().set_cell(FieldTable::kStart, 3, "1");
    table().set_cell(FieldTable::kLength, 3, "9");
    tick("chk_trim", true);
    EXPECT_EQ("Code|Num|All| 200 rows: [ab][12][ab  12]", shown());
    EXPECT_EQ(q("First 200 lines of " + path + ", cut into 3 fields, trimmed"), preview->message());
    set_text("txt_inp", data.file("gone.txt"));
    EXPECT_EQ(q("Cannot open file " + data.file("gone.txt") + ". No such file or directory."),
              preview->message());
    // Closing the preview unticks its box; the child windows stay as they were.
    preview->close();
    EXPECT_FALSE(find<QCheckBox>("chk_prev")->isChecked());
    EXPECT_TRUE(mdi->frame_of(mdi->frm_view)->isMaximized());
}

}  // namespace
}  // namespace qvr::test
