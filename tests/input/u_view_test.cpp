#include <QComboBox>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <optional>

#include "input/column_ruler.h"
#include "input/u_preview.h"
#include "support/file_faults.h"
#include "support/main_window_fixture.h"

namespace qvr::test {
namespace {

std::vector<std::string> numbered(int count) {
    std::vector<std::string> lines;
    for (int i = 1; i <= count; ++i) lines.push_back("line " + std::to_string(i));
    return lines;
}

/// Keys on the input view; `ViewFieldsTest` shows three lines "0123456789ABCDEFGHIJ" in it.
class InputView : public StartedTest {
  protected:
    LineView* box() { return find<LineView>("mem_inp"); }
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier, int times = 1) {
        for (int i = 0; i < times; ++i) QTest::keyClick(box(), k, mods);
    }
};

class ViewFieldsTest : public InputView {
  protected:
    void SetUp() override {
        start();
        open_input(data.write("input.txt", repeated("0123456789ABCDEFGHIJ\r\n", 3)));
        pick("mnu_vwi");
        box()->setFocus();
    }
    /// The point of the place before `column` (0-based) on view line `line`.
    QPoint at(int line, int column) {
        const QFontMetrics m = box()->fontMetrics();
        return {4 + column * m.horizontalAdvance(QLatin1Char('M')), 4 + line * m.lineSpacing() + 2};
    }
    FieldTable& table() { return mdi->frm_dlm->field_table(); }
    /// The bands painted on the view, as "first-last tip" (columns from 1).
    std::string bands() {
        std::string out;
        for (const ColumnBand& b : box()->column_bands())
            out += std::to_string(b.first + 1) + "-" + std::to_string(b.last + 1) + " " +
                   from_widget_text(b.tip) + "; ";
        return out;
    }
};

TEST_F(InputView, InputModeShowsTheInputWithItsLineCountAndRulerAndSideBySideAboveTheTable) {
    const std::string path = numbered_file("input.txt", 45);
    open_input(path);
    pick("mnu_rvw");  // the result mode hides what the input mode shows
    pick("mnu_vwi");
    EXPECT_EQ(QStringLiteral("View input file"), mdi->frm_view->windowTitle());
    EXPECT_TRUE(mdi->frame_of(mdi->frm_view)->isMaximized() && mdi->frame_of(mdi->frm_gen)->isMinimized());
    for (const char* name : {"mem_inp", "chk_rule", "mem_expl", "lbl_vcount", "lbl_vname"})
        EXPECT_TRUE(find<QWidget>(name, mdi->frm_view)->isVisible()) << name;
    for (const char* name : {"mem_out", "lbl_vgener"})
        EXPECT_FALSE(find<QWidget>(name, mdi->frm_view)->isVisible());
    EXPECT_EQ(q(path), label("lbl_vname"));
    // The explanation fits its box: no scroll bar (shown or hidden once the events are through).
    QCoreApplication::processEvents();
    EXPECT_FALSE(find<QPlainTextEdit>("mem_expl", mdi->frm_view)->verticalScrollBar()->isVisible());
    // Where the blocks stand, and the count that follows them (the view places them by its own lines, not
    // as the ruler's test does); the blocks themselves are the ruler's test.
    tick("chk_rule", true);
    const std::vector<std::string> ruled = view();
    ASSERT_EQ(57u, ruled.size());
    EXPECT_EQ("line 1|line 20|line 21|line 45",
              ruled[4] + "|" + ruled[23] + "|" + ruled[28] + "|" + ruled[56]);
    EXPECT_EQ(QStringLiteral("Number of lines: 57"), label("lbl_vcount"));
    tick("chk_rule", false);
    EXPECT_EQ(numbered(45), view());
    EXPECT_EQ(QStringLiteral("Number of lines: 45"), label("lbl_vcount"));
    // A new input takes the ruler out.
    tick("chk_rule", true);
    open_input(numbered_file("second.txt", 2));
    EXPECT_FALSE(find<QCheckBox>("chk_rule")->isChecked());
    EXPECT_EQ(numbered(2), view());
    pick("mnu_wid");
    EXPECT_EQ(QRect(0, 0, 740, 265), mdi->frame_of(mdi->frm_view)->geometry());
    EXPECT_EQ(QRect(25, 260, 740, 240), mdi->frame_of(mdi->frm_dlm)->geometry());
    EXPECT_EQ(QRect(16, 32, 665, 200), box()->geometry());  // within its shorter window
    pick("mnu_vwi");
    EXPECT_EQ(QRect(16, 32, 665, 345), box()->geometry());
}

// File > Input proposes UTF-8 for a UTF-8 file; the ruler and the selection then count characters ("é" 2
// bytes, "€" 3, "😀" 4), and in Windows-1252 bytes again.
TEST_F(InputView, AUtf8InputCountsCharactersInTheRulerAndTheSelection) {
    open_input(data.write("input.txt", "\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80x\r\nab\r\n"));
    pick("mnu_vwi");
    auto* encoding = find<QComboBox>("cbo_enc");
    EXPECT_EQ(1, encoding->currentIndex());
    box()->set_selection(0, 4);
    EXPECT_EQ(QString::fromUtf8("\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80x"), box()->selected_text());
    for (const auto& [index, columns] : {std::pair{0, 10}, std::pair{1, 4}}) {
        encoding->setCurrentIndex(index);  // takes out the ruler sized to the columns as counted before
        EXPECT_FALSE(find<QCheckBox>("chk_rule")->isChecked());
        tick("chk_rule", true);
        EXPECT_EQ(ruler_block(static_cast<std::size_t>(columns))[0], view()[0]);
    }
}

TEST_F(ViewFieldsTest, ASelectionByKeysOrMouseBecomesTheNextField) {
    // ruler, mouse, the line, its first column and the columns selected (of the input, from 0), the field;
    // the first one takes the place of the default row
    const std::tuple<bool, bool, int, int, int, FieldTable::Row> cases[] = {
        {false, false, 2, 12, 5, {"FIELD1", "13", "5", "17"}},
        {true, false, 1, 7, 1, {"FIELD2", "8", "1", "8"}},
        {true, true, 2, 10, 10, {"FIELD3", "11", "10", "20"}}};
    for (const auto& [ruler, mouse, input_line, from, count, row] : cases) {
        tick("chk_rule", ruler);
        const int line = input_line + (ruler ? 4 : 0);  // below the ruler block
        if (mouse) {
            QTest::mousePress(box()->viewport(), Qt::LeftButton, {}, at(line, from));
            QTest::mouseMove(box()->viewport(), at(line, from + count));
            QTest::mouseRelease(box()->viewport(), Qt::LeftButton, {}, at(line, from + count));
        } else {
            key(Qt::Key_Home, Qt::ControlModifier);
            key(Qt::Key_Down, Qt::NoModifier, line);
            key(Qt::Key_Right, Qt::NoModifier, from);
            key(Qt::Key_Right, Qt::ShiftModifier, count);
        }
        key(Qt::Key_Insert);
        const int n = table().row_count();
        EXPECT_EQ(row, (FieldTable::Row{table().cell(0, n), table().cell(1, n), table().cell(2, n),
                                        table().cell(3, n)}));
        EXPECT_EQ(row[0], from_widget_text(find<QTableView>("grd_dlm")->currentIndex().data().toString()));
    }
    // Over two lines there is no field to take.
    box()->set_selection(5, 30);
    desktop.expect_info(QStringLiteral("Select the columns of the field within one line first."));
    key(Qt::Key_Insert);
    EXPECT_EQ(3, table().row_count());
}

TEST_F(ViewFieldsTest, TheStatusLineAndEnterTellTheCursorAndTheSelection) {
    const std::tuple<std::uint64_t, std::uint64_t, std::string> cases[] = {
        // anchor, position, status
        {7, 7, "Column 8"},
        {2, 5, "Column 6 | Selection: columns 3 to 5, length 3"},
        {9, 4, "Column 5 | Selection: columns 5 to 9, length 5"},
        {21, 41, "Column 21 | Selection: columns 1 to 20, length 20"},  // the whole second line
        {3, 25, "Column 5 | Selection over 2 lines: 22 characters"}};
    Qt::Key enter = Qt::Key_Return;
    for (const auto& [anchor, position, text] : cases) {
        box()->set_selection(anchor, position);
        EXPECT_EQ(text, from_widget_text(label("lbl_vpos")));
        const std::uint64_t length = std::max(anchor, position) - std::min(anchor, position);
        desktop.expect_info(QStringLiteral("Length of selection: ") + QString::number(length));
        key(enter = enter == Qt::Key_Return ? Qt::Key_Enter : Qt::Key_Return);
    }
    EXPECT_EQ(std::vector<std::string>(3, "0123456789ABCDEFGHIJ"), view());
}

TEST_F(ViewFieldsTest, TheColoursFollowTheFieldTable) {
    table().assign_rows(
        {{"A", "1", "5", "5"}, {"B", "4", "4", "7"}, {"none", "9", "0", ""}, {"C", "12", "2", "13"}});
    EXPECT_EQ("", bands());  // until the option is ticked
    tick("chk_tint", true);
    EXPECT_EQ("1-3 A; 4-5 A, B: overlap; 6-7 B; 12-13 C; ", bands());
    const auto& b = box()->column_bands();
    EXPECT_TRUE(b[0].colour != b[2].colour && b[0].colour == b[3].colour);
    EXPECT_EQ(QStringLiteral("No field covers this column"), box()->tip_at(at(0, 8)));
    EXPECT_EQ(QStringLiteral("C"), box()->tip_at(at(2, 12)));
    tick("chk_rule", true);  // the ruler's digits are no text outside the fields
    EXPECT_EQ(QString(), box()->tip_at(at(2, 8)));
    EXPECT_EQ(QStringLiteral("No field covers this column"), box()->tip_at(at(4, 8)));
    tick("chk_rule", false);
    mdi->frm_dlm->set_current_cell(0, 2);
    QTest::mouseClick(find<QPushButton>("cmd_del"), Qt::LeftButton);
    EXPECT_EQ("1-5 A; 12-13 C; ", bands());
    table().set_cell(FieldTable::kLength, 2, "2");
    EXPECT_EQ("1-5 A; 9-10 none; 12-13 C; ", bands());
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
    auto shown = [&] {  // each column's heading and its cell on line 200, then the row count
        QAbstractItemModel* m = preview->grid()->model();
        std::string out;
        for (int c = 0; c < m->columnCount(); ++c)
            out += from_widget_text(m->headerData(c, Qt::Horizontal).toString()) + "[" +
                   from_widget_text(m->index(199, c).data().toString()) + "] ";
        return out + std::to_string(m->rowCount()) + " rows";
    };
    EXPECT_EQ("Code[ab  ] Num[12 ] 200 rows", shown());
    EXPECT_EQ(q("First 200 lines of " + path + ", cut into 2 fields"), preview->message());
    table().assign_rows({{"Code", "1", "2", ""}, {"Num", "5", "3", ""}, {"All", "1", "9", ""}});
    EXPECT_EQ("Code[ab] Num[12 ] All[ab  12 ] 200 rows", shown());
    tick("chk_trim", true);
    EXPECT_EQ("Code[ab] Num[12] All[ab  12] 200 rows", shown());
    EXPECT_EQ(q("First 200 lines of " + path + ", cut into 3 fields, trimmed"), preview->message());
    set_text("txt_inp", data.file("gone.txt"));
    EXPECT_EQ(q("Cannot open file " + data.file("gone.txt") + ". No such file or directory."),
              preview->message());
    // Closing the preview unticks its box; the child windows stay as they were.
    preview->close();
    EXPECT_FALSE(find<QCheckBox>("chk_prev")->isChecked());
    EXPECT_TRUE(mdi->frame_of(mdi->frm_view)->isMaximized());
}

// The preview cuts in General data's encoding and shows the cells in it: a UTF-8 input by characters,
// the same file taken as Windows-1252 by bytes.
TEST_F(ViewFieldsTest, ThePreviewCutsAndShowsAUtf8InputInCharacters) {
    open_input(data.write("utf8.txt", repeated("Besan\xc3\xa7on 6561.15\r\n", 3)));
    table().assign_rows({{"City", "1", "8", ""}, {"Amount", "10", "7", ""}});
    tick("chk_prev", true);
    QAbstractItemModel* m = mdi->frm_view->preview()->grid()->model();
    const auto row = [&] {
        return m->index(2, 0).data().toString() + "|" + m->index(2, 1).data().toString();
    };
    EXPECT_EQ(QString::fromUtf8("Besan\xc3\xa7on|6561.15"), row());
    find<QComboBox>("cbo_enc")->setCurrentIndex(0);
    EXPECT_EQ(QString::fromUtf8("Besan\xc3\x83\xc2\xa7o| 6561.1"), row());
}

TEST_F(ViewFieldsTest, ThePreviewOpensClearOfTheMenuBarAndWhereTheUserLeftIt) {
    tick("chk_prev", true);
    Tfrm_preview* preview = mdi->frm_view->preview();
    const QMenuBar* bar = mdi->menuBar();
    const QRect menus(bar->mapToGlobal(QPoint(0, 0)), bar->size());
    EXPECT_FALSE(preview->frameGeometry().intersects(menus))
        << preview->frameGeometry().y() << " " << menus.y();
    EXPECT_TRUE(preview->screen()->availableGeometry().contains(preview->frameGeometry()));
    preview->move(40, 300);
    tick("chk_prev", false);
    tick("chk_prev", true);
    EXPECT_EQ(QPoint(40, 300), preview->pos());
}

using OpeningInput = StartedTest;

TEST_F(OpeningInput, FillsTheViewAsTheChosenModeSays) {
    const std::tuple<const char*, QString, int> cases[] = {
        {"opt_part", "7", 7},           {"opt_part", "2147483647", 150},
        {"opt_part", "-2147483648", 0}, {"opt_part", "99999999999", 100},  // not a 32-bit number: the default
        {"opt_full", "7", 150},         {"opt_void", "7", 0}};
    desktop.expect_open(std::nullopt);  // nothing chosen yet: nothing to view
    pick("mnu_inp");
    EXPECT_FALSE(enabled("mnu_vwi") || enabled("mnu_wid") || enabled("mnu_ana") || enabled("mnu_dbf"));
    const std::string path = numbered_file("input.txt", 150);
    for (const auto& [mode, number, shown] : cases) {
        open_input(path, mode, number);
        EXPECT_EQ(numbered(shown), view()) << mode << " " << number.toStdString();
        EXPECT_EQ(q(path), box_text("txt_inp"));
        EXPECT_EQ(q(data.file("input.qvo.txt")), box_text("txt_out"));
    }
    EXPECT_EQ(QStringLiteral("Text file|*.txt"), desktop.dialog_states()[2].filter);
    EXPECT_EQ(QString(), desktop.dialog_states()[2].file_name);  // a fresh name each time
    // Control bytes show as one character each; a line feed alone ends a line.
    const std::string line("A\0B\tC\033D\177\201E", 10);
    open_input(data.write("controls.txt", line + "\nF\r\n"));
    EXPECT_EQ(QStringLiteral(u"A\u2591B\u25CBC\u2190D\u2302\u2580E\nF"),
              mdi->frm_view->input_view()->toPlainText());
    EXPECT_EQ((std::vector<std::string>{line, "F"}), view());
    // Cancel only disables the dBase export.
    open_input(path, "opt_part", "3");
    find<QAction>("mnu_dbf")->setEnabled(true);  // as a finished run leaves it
    set_text("txt_out", "chosen.qvo");
    pick("mnu_vwi");
    desktop.expect_open(std::nullopt);
    pick("mnu_inp");
    EXPECT_TRUE(mdi->frame_of(mdi->frm_gen)->isMaximized());
    EXPECT_FALSE(enabled("mnu_dbf"));
    EXPECT_TRUE(enabled("mnu_vwi") && enabled("mnu_wid") && enabled("mnu_ana"));
    EXPECT_EQ(numbered(3), view());
    EXPECT_EQ(q(path), box_text("txt_inp"));
    EXPECT_EQ(QStringLiteral("chosen.qvo"), box_text("txt_out"));
}

TEST_F(OpeningInput, AFileTooBigForMemoryIsRefusedBeforeItIsRead) {
    const std::string path = numbered_file("input.txt", 100, "ten chars ");  // 1,292 bytes
    // Room for a few short lines, not for the whole file nor for 50 lines.
    memory.bytes = 2000;
    mdi->frm_inp->show_modal = [&](Tfrm_inp& dialog) {
        find<QRadioButton>("opt_full", &dialog)->setChecked(true);
        find<QPushButton>("cmd_ooke", &dialog)->click();
        find<QRadioButton>("opt_part", &dialog)->setChecked(true);
        for (const char* lines : {"50", "3"}) {
            find<QLineEdit>("txt_part", &dialog)->setText(QString::fromLatin1(lines));
            find<QPushButton>("cmd_ooke", &dialog)->click();
        }
    };
    desktop.expect_open(q(path));
    for (int i = 0; i < 2; ++i)
        desktop.expect_general_error(q("Cannot read file " + path + ". Cannot allocate memory."));
    pick("mnu_inp");
    EXPECT_EQ((std::vector<std::string>{"ten chars 1", "ten chars 2", "ten chars 3"}), view());
}

// The encoding of a new input is proposed under the hourglass, and Esc ends the proposal: the file is not
// opened, and the next try opens it.
TEST_F(OpeningInput, TheProposalShowsTheHourglassAndEscStopsIt) {
    const std::string path = data.write("input.txt", repeated("caf\xC3\xA9 au lait\r\n", 20'000));
    bool asked = false;
    mdi->frm_inp->show_modal = [&](Tfrm_inp&) { asked = true; };
    // Both wait for the window's first look at its events during the proposal.
    std::optional<Qt::CursorShape> cursor;
    QTimer::singleShot(0, mdi.get(), [&] {
        cursor = QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : Qt::ArrowCursor;
    });
    QCoreApplication::postEvent(mdi.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, {}));
    desktop.expect_open(q(path));
    pick("mnu_inp");
    EXPECT_EQ(Qt::WaitCursor, cursor);
    EXPECT_EQ(nullptr, QApplication::overrideCursor());
    EXPECT_FALSE(asked);
    EXPECT_EQ(QString(), box_text("txt_inp"));
    desktop.expect_open(q(path));
    pick("mnu_inp");
    EXPECT_TRUE(asked);
    EXPECT_EQ(1, find<QComboBox>("cbo_enc")->currentIndex());
}

}  // namespace
}  // namespace qvr::test
