#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QHelpEvent>
#include <QScreen>
#include <QTimer>

#include "desktop/qt_desktop.h"
#include "support/file_faults.h"
#include "support/main_window_fixture.h"
#include "support/unwritable_places.h"

namespace qvr::test {
namespace {

const QString kNoFile = QStringLiteral("<No file recalled or saved>");
const QString kSaved = QStringLiteral("Is the former fields definition saved?");

// The grid's hint stands at the cell pointed at, whole on the screen, not pushed to the screen's edge.
TEST_F(FieldsWindowTest, TheHintShowsAtTheCell) {
    const QRect cell = grid()->visualRect(grid()->model()->index(0, 4));  // the right-most column
    const QPoint corner = grid()->viewport()->mapToGlobal(cell.topLeft());
    QHelpEvent help(QEvent::ToolTip, cell.center(), grid()->viewport()->mapToGlobal(cell.center()));
    QApplication::sendEvent(grid()->viewport(), &help);
    QWidget* tip = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("qtooltip_label") && w->isVisible()) tip = w;
    ASSERT_TRUE(tip);
    EXPECT_TRUE(tip->screen()->geometry().contains(tip->geometry()));
    EXPECT_TRUE(tip->x() >= corner.x() && tip->x() < corner.x() + cell.width())
        << tip->x() << " " << corner.x();
    EXPECT_TRUE(tip->y() >= corner.y() && tip->y() < corner.y() + 2 * cell.height()) << tip->y();
}

TEST_F(FieldsWindowTest, TypingBuildsTheCurrentCell) {
    // Letters, blanks and signs are no digits; Escape, Ctrl+A and Alt+Q no characters; Enter derives the row,
    // nothing before it.
    const std::tuple<FieldTable::Row, int, std::string, FieldTable::Row> cases[] = {
        {{"x", "5", "3", "7"}, 2, "a -+", {"x", "5", "3", "7"}},
        {{"x", "5", "3", "7"}, 0, "a", {"xa", "5", "3", "7"}},
        {{"x", "5", "3", "7"}, 1, "12\r", {"x", "512", "3", "514"}},
        {{"", "", "", ""}, 1, "\b", {"", "", "", ""}},
        {{"ab", "12", "", ""}, 0, "\b", {"a", "12", "", ""}},
        {{"ab", "1", "", ""}, 0, "\x1b\x01\x11z", {"abz", "1", "", ""}},
        {{"n", "", "", ""}, 0, "}5}}9\r", {"n", "5", "5", "9"}},  // arrows move the cell typed into
    };
    for (const auto& [before, column, keys, after] : cases) {
        set_rows({{"above", "1", "1", "1"}, before});
        click_cell(column, 2);
        type(keys);
        EXPECT_EQ((Rows{{"above", "1", "1", "1"}, after}), shown()) << keys;
    }
    click_cell(0, 2);  // Delete, as X11 sends it with its control character, is none either
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, QStringLiteral("\x7f"));
    QApplication::sendEvent(grid(), &del);
    EXPECT_EQ("n", shown()[1][0]);
}

TEST_F(FieldsWindowTest, EnterOnTheWindowAsksForTheCurrentCellAndADoubleClickEndsTheHint) {
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
    QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(mdi->frm_dlm->hint_shown());
    press("cmd_gen");
    pick("mnu_vde");
    EXPECT_EQ(QString(), grid()->toolTip());
    EXPECT_EQ(QStringLiteral("Add a line at the end of the table"), button("cmd_add")->toolTip());
}

// The Type column shows Text until a type is given; a key there asks for the whole spelling.
TEST_F(FieldsWindowTest, TheTypeColumnAsksForATypeAndToldWhyABadOneIsNone) {
    set_rows({{"x", "5", "3", "7"}});
    const auto type_shown = [&] { return grid()->model()->index(0, FieldTable::kType).data().toString(); };
    EXPECT_EQ(QStringLiteral("Text"), type_shown());
    click_cell(FieldTable::kType, 1);
    desktop.expect_input(QStringLiteral("Enter..."), QStringLiteral("Type"), QStringLiteral("text"),
                         QStringLiteral("dec(2)"));
    type("d");
    EXPECT_EQ(QStringLiteral("dec(2)"), type_shown());
    desktop.expect_input(QStringLiteral("Enter..."), QStringLiteral("Type"), QStringLiteral("dec(2)"),
                         QStringLiteral("dec(x)"));
    desktop.expect_info(
        QStringLiteral("'dec(x)' is not a field type: the implied decimals are a number from 0 to 38"));
    type("\r");
    EXPECT_EQ(QStringLiteral("dec(2)"), type_shown());
    EXPECT_EQ((Rows{{"x", "5", "3", "7"}}), shown());  // the other cells as they were
}

TEST_F(FieldsWindowTest, AddInsertAndDeleteRows) {
    const Rows three = {{"a", "1", "1", "1"}, {"b", "2", "1", "2"}, {"c", "3", "1", "3"}};
    const FieldTable::Row empty = {"", "", "", ""};
    const std::tuple<const char*, int, Rows> cases[] = {
        {"cmd_ins", 2, {three[0], empty, three[1], three[2]}},
        {"cmd_del", 2, {three[0], three[2]}},
        {"cmd_del", 3, {three[0], three[1]}},  // the current row stays within the table
        {"cmd_add", 2, {three[0], three[1], three[2], empty}}};
    for (const auto& [name, row, after] : cases) {
        set_rows(three);
        click_cell(1, row);
        press(name);
        EXPECT_EQ(after, shown()) << name << row;
        EXPECT_EQ(std::make_pair(1, 2), current()) << name << row;
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

// A UTF-8 input, read as UTF-8 since File > Input proposed it, is cut in characters.
TEST_F(FieldsWindowTest, DetectCountsTheColumnsOfAUtf8InputInCharacters) {
    open_input(data.write("utf8.txt",
                          "\xC3\x89lodie  0012\r\nLuc     0100\r\nZo\xC3\xA9     0003\r\n"
                          "H\xC3\xA9l\xC3\xA8ne  1234\r\n"));
    pick("mnu_fdt");
    EXPECT_EQ((Rows{{"FIELD1", "1", "8", "8"}, {"FIELD2", "9", "4", "12"}}), shown());
}

// Fields definition > "Detect from input" and "Check against input" on the file named in General data.
TEST_F(FieldsWindowTest, DetectFillsTheTableAsksFirstWhenItWasChangedAndCheckShowsTheReport) {
    EXPECT_FALSE(enabled("mnu_fdt"));
    open_input(data.write("input.txt",
                          "101 SMITH        0012.50\r\n202 JONESY ANN   0100.00\r\n"
                          "303 LEE          0003.75\r\n404 BROWN BOBBY  1234.00\r\n"));
    pick("mnu_fdt");  // the table as start-up left it: no question
    EXPECT_TRUE(mdi->frame_of(mdi->frm_dlm)->isMaximized());
    const Rows found = {{"FIELD1", "1", "4", "4"}, {"FIELD2", "5", "13", "17"}, {"FIELD3", "18", "7", "24"}};
    EXPECT_EQ(found, shown());
    EXPECT_EQ(kNoFile + " | " + kNoFile, labels());
    EXPECT_TRUE(mdi->frm_dlm->table_changed());  // found, not saved
    EXPECT_FALSE(find<QWidget>("gge_run")->isVisible());
    desktop.expect_text(
        QStringLiteral("Check against input"),
        q("Input file: " + data.file("input.txt") +
          "\nLines: 4\nLine length: shortest 24 (4 lines), longest 24 (4 lines), most common 24 "
          "(4 lines)\nNo problem found.\n"));
    pick("mnu_fck");

    set_rows({{"x", "1", "1", "1"}});
    desktop.expect_confirm(kSaved, kNo);
    pick("mnu_fdt");
    EXPECT_EQ((Rows{{"x", "1", "1", "1"}}), shown());
    desktop.expect_confirm(kSaved, kYes);
    pick("mnu_fdt");
    EXPECT_EQ(found, shown());

    set_text("txt_inp", data.write("binary.txt", std::string(4000, '\0')));
    desktop.expect_confirm(kSaved, kYes);
    desktop.expect_info(
        q("The file " + data.file("binary.txt") +
          " holds binary data, not fixed-column text. The fields definition is left as it was."));
    pick("mnu_fdt");
    set_text("txt_inp", data.file("gone.txt"));
    desktop.expect_confirm(kSaved, kYes);
    desktop.expect_general_error(
        q("Cannot open file " + data.file("gone.txt") + ". No such file or directory."));
    pick("mnu_fdt");
    EXPECT_EQ(found, shown());
    // Lines wider than the columns looked at: the fields of those columns, and a word that there is more.
    set_text("txt_inp", data.write("wide.txt", repeated("101 SMITH" + std::string(5000, ' ') + "X\r\n", 3)));
    desktop.expect_confirm(kSaved, kYes);
    desktop.expect_info(QStringLiteral(
        "Lines are longer than 4096 columns: fields were looked for in the first 4096 columns only."));
    pick("mnu_fdt");
    EXPECT_EQ((Rows{{"FIELD1", "1", "4", "4"}, {"FIELD2", "5", "5", "9"}}), shown());
    EXPECT_FALSE(find<QWidget>("gge_run")->isVisible());
}

class DefinitionFileCommandsTest : public FieldsWindowTest {
  protected:
    QString path(const std::string& name) { return q(data.file(name)); }
    QString both(const std::string& name) { return path(name) + " | " + path(name); }
};

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
    EXPECT_EQ(both("default.tab"), labels());
    EXPECT_TRUE(mdi->frame_of(mdi->frm_dlm)->isMaximized());  // the windows stay as they are
    EXPECT_EQ(QStringLiteral("Delimiter file|*.tab|csvkit schema|*.csv"),
              desktop.dialog_states().back().filter);
    EXPECT_EQ(QStringLiteral("tab"), desktop.dialog_states().back().default_ext);
    EXPECT_EQ(path("result.qvo"), desktop.dialog_states().back().file_name);  // the name last chosen
    // Onto an existing file: replaced without a question.
    set_rows({{"x", "", "3", ""}});
    desktop.expect_save(path("default.tab"));
    pick("SaveAs1");
    EXPECT_EQ("x         0    3    0    \r\n", read_file(data.file("default.tab")));
    EXPECT_EQ("default.tab", list_folder(data.path()));
}

TEST_F(DefinitionFileCommandsTest, RecallReplacesTheWholeTableAndNewResetsItOnYesOnly) {
    set_rows({{"a", "1", "1", "1"}, {"b", "2", "1", "2"}, {"c", "3", "1", "3"}, {"d", "4", "1", "4"}});
    click_cell(2, 4);
    pick("mnu_sge");
    desktop.expect_open(
        q(data.write("three.tab", "One       1 5 5\r\nTwo\t      6\t2\t9 note\r\nThree     8 1 8")));
    pick("Recall1");
    const Rows three = {
        {"One       ", "1", "5", "5"}, {"Two\t      ", "6", "2", "9"}, {"Three     ", "8", "1", "8"}};
    EXPECT_EQ(three, shown());
    EXPECT_EQ(std::make_pair(2, 3), current());  // the current row stays within the table
    EXPECT_EQ(both("three.tab"), labels());
    EXPECT_TRUE(desktop.dialog_states().back().filter.startsWith(
        QStringLiteral("Delimiter file|*.tab|COBOL copybook|*.cpy;*.cob;*.cbl;*.copy|csvkit schema|*.csv|")));
    pick("mnu_sge");
    desktop.expect_confirm(kSaved, kNo);
    pick("mnu_fdn");
    EXPECT_TRUE(mdi->frame_of(mdi->frm_dlm)->isMaximized());
    EXPECT_EQ(three, shown());
    EXPECT_EQ(both("three.tab"), labels());
    desktop.expect_confirm(kSaved, kYes);
    pick("mnu_fdn");
    EXPECT_EQ((Rows{{"1st field", "1", "10", "10"}}), shown());
    EXPECT_EQ(kNoFile + " | " + kNoFile, labels());
}

// A copybook fills the grid with its record's fields and types; the table goes to csvkit as a schema.
TEST_F(DefinitionFileCommandsTest, RecallReadsACopybookWithItsTypesAndSaveAsWritesASchema) {
    desktop.expect_open(q(data.write("cust.cpy",
                                     "000100 01  HEAD.\n000200     05 KIND PIC X(5).\n000300 01  C.\n"
                                     "000400     05 CUST-ID PIC 9(5).\n000500     05 CUSTOMER-NAME "
                                     "PIC X(5).\n000600     05 AMOUNT PIC S9(5)V99.\n")));
    desktop.expect_input(QStringLiteral("Recall file"),
                         QStringLiteral("The file describes several records (HEAD, C). Which one?"),
                         QStringLiteral("HEAD"), QStringLiteral("c"));
    pick("Recall1");
    EXPECT_EQ((Rows{{"CUST-ID", "1", "5", "5"}, {"CUSTOMER-N", "6", "5", "10"}, {"AMOUNT", "11", "7", "17"}}),
              shown());
    const auto type = [&](int row) {
        return grid()->model()->index(row, FieldTable::kType).data().toString();
    };
    EXPECT_EQ(QStringList({"int", "Text", "zoned(2)"}), QStringList({type(0), type(1), type(2)}));
    EXPECT_EQ(both("cust.cpy"), labels());
    desktop.expect_save(path("cust.csv"));
    pick("SaveAs1");
    EXPECT_EQ("column,start,length\nCUST-ID,0,5\nCUSTOMER-N,5,5\nAMOUNT,10,7\n",
              read_file(data.file("cust.csv")));
    desktop.expect_open(
        q(data.write("bad.cpy", "000100 01  R.\n000200     05 T OCCURS 1 TO 5 DEPENDING ON N.\n")));
    desktop.expect_general_error_starting(path("bad.cpy") + ", line 2: OCCURS DEPENDING ON");
    pick("Recall1");
    EXPECT_EQ(both("cust.csv"), labels());  // the table stays
}

// On the real dialog, a name typed without extension takes the one of the file type chosen.
TEST_F(DefinitionFileCommandsTest, TheSaveDialogAddsTheExtensionOfTheTypeChosen) {
    QtDesktop real(mdi.get());
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(nullptr, dialog);
        QTest::keyClick(dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")), Qt::Key_Down);
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        name->setText(QStringLiteral("layout"));
        QTest::keyClick(name, Qt::Key_Return);
    });
    FileDialogState state{.filter = QStringLiteral("Delimiter file|*.tab|csvkit schema|*.csv"),
                          .default_ext = QStringLiteral("tab"),
                          .file_name = {},
                          .initial_dir = q(data.path())};
    ASSERT_TRUE(real.save_file(state));
    EXPECT_EQ(path("layout.csv"), state.file_name);
}

/// After a recall and a click on a cell: a failure must leave the table, cell and labels as they were.
class DefinitionFaultsTest : public DefinitionFileCommandsTest {
  protected:
    void SetUp() override {
        DefinitionFileCommandsTest::SetUp();
        desktop.expect_open(q(data.write("kept.tab", "kept      3 4 6\r\nalso      7 1 7\r\n")));
        pick("Recall1");
        click_cell(1, 2);
    }
    void expect_as_before(const std::string& what) {
        EXPECT_EQ((Rows{{"kept      ", "3", "4", "6"}, {"also      ", "7", "1", "7"}}), shown()) << what;
        EXPECT_EQ(std::make_pair(1, 2), current()) << what;
        EXPECT_EQ(both("kept.tab"), labels()) << what;
    }
};

TEST_F(DefinitionFaultsTest, ASaveThatFailsLeavesTheFormerFileTheTableAndTheLabels) {
    expect_unwritable_places_kept(
        "tab", "former    1 2 2\r\n", {{"none/d.tab", "create", "No such file or directory"}},
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
    const std::string big = data.write("big.tab", std::string(60000, ' '));  // chosen by mistake: no room
    const std::string empty = data.write("empty.tab", "");
    const std::tuple<std::string, BoxKind, std::string> cases[] = {
        {data.write("letters.tab", "A         1 2 3\r\nB         4 five 6\r\n"), BoxKind::general_error,
         "'five' is not a valid integer value."},
        {big, BoxKind::general_error, "Cannot read file " + big + ". Cannot allocate memory."},
        {empty, BoxKind::information,
         "The file " + empty + " holds no field definition. The fields definition is left as it was."}};
    memory.bytes = 50000;
    for (const auto& [file, kind, message] : cases) {
        desktop.expect_open(q(file));
        desktop.expect_box(kind, q(message), kOk, kOk);
        pick("Recall1");
        desktop.verify();
        expect_as_before(file);
        EXPECT_EQ(QString(), desktop.dialog_states().back().file_name);  // cleared before the dialog
    }
}

}  // namespace
}  // namespace qvr::test
