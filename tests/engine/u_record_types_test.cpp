#include <QApplication>
#include <QComboBox>
#include <QTableView>
#include <filesystem>
#include <tuple>

#include "desktop/qt_desktop.h"
#include "desktop/text_box.h"
#include "fields/layout_set.h"
#include "outputs/read_back.h"
#include "support/key_answers.h"
#include "support/main_window_fixture.h"
#include "support/nacha_file.h"

namespace qvr::test {
namespace {

/// The record boxes of General data and the tables per record type of Fields definition, driven through
/// the window system: clicks at a control's place on its top-level window, keys to the focused control,
/// real boxes answered by keys.
class RecordTypesWindowTest : public MainWindowTest {
  protected:
    void SetUp() override {
        start_on(boxes);
        boxes.set_parent(mdi.get());
        clear_box(mdi->frm_view->input_view());
    }

    static void click(QWidget* widget) {
        QWidget* top = widget->window();
        // A window manager activates the window clicked in; this platform has none.
        top->windowHandle()->requestActivate();
        EXPECT_TRUE(QTest::qWaitForWindowActive(top->windowHandle()));
        QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {},
                          widget->mapTo(top, widget->rect().center()));
    }
    static void keys(const QString& text) { QTest::keyClicks(QApplication::focusWidget(), text); }
    static void key(Qt::Key k, Qt::KeyboardModifiers m = {}) {
        QTest::keyClick(QApplication::focusWidget(), k, m);
    }

    /// Gives the control the focus in its active window, as Tab would.
    void focus(const char* name) {
        QWidget* widget = find<QWidget>(name);
        widget->window()->windowHandle()->requestActivate();
        EXPECT_TRUE(QTest::qWaitForWindowActive(widget->window()->windowHandle()));
        widget->setFocus(Qt::TabFocusReason);
    }
    /// Clicks into a text box and types `text` over what it held.
    void type_into(const char* name, const std::string& text) {
        click(find<QWidget>(name));
        key(Qt::Key_A, Qt::ControlModifier);
        keys(q(text));
    }

    /// Picks the combo box's entry `index` as a user does: a click opens its list, the keys choose.
    void choose(const char* name, int index) {
        auto* combo = find<QComboBox>(name);
        click(combo);
        key(Qt::Key_Home);
        for (int i = 0; i < index; ++i) key(Qt::Key_Down);
        key(Qt::Key_Return);
    }

    /// Recalls `set` as a layout-set file through File > Recall's dialog; returns the file's path.
    std::string recall(const LayoutSet& set) {
        const std::string path = data.write("set.tabs", layout_set_text(set));
        KeyAnswers recall({Qt::Key_Return}, {q(path)});
        pick("Recall1");
        EXPECT_EQ(std::vector<std::string>{"Open: "}, recall.shown());
        return path;
    }

    /// General data on a file of two record types, each line's first column its type; their tables
    /// recalled, type 2's rows beginning with the latest type 1 record's name.
    void two_types(const std::string& output) {
        pick("mnu_sge");
        type_into("txt_inp", data.write("in.dat", "1AAA\n2BB12\n1CCC\n"));
        type_into("txt_out", output);
        LayoutSet set;
        set.tables = {{"1", {{"Name", "2", "3", "4"}}},
                      {"2", {{"Code", "2", "2", "3"}, {"Num", "4", "2", "5"}}}};
        set.carries = {{"1", "Name"}};
        recall(set);
    }

    QtDesktop boxes;
};

// Go into a database writes a table per type into the one file, named after the input or by the table
// box's pattern; a database already there is asked about once, naming the tables it would replace.
TEST_F(RecordTypesWindowTest, GoWritesADatabaseTablePerType) {
    const std::string db = data.file("out.db");
    two_types(db);
    // The output boxes lie below the offscreen window's bottom: reached by focus, then keys.
    focus("cbo_ofmt");
    key(Qt::Key_Down);
    const std::string written =
        "Information: Database tables written, one per record type; the result view shows separated text "
        "only:";
    {
        KeyAnswers go({Qt::Key_Return});
        pick("mnu_go");
        EXPECT_EQ(std::vector<std::string>{written + "\n\r" + db + " (in_1): 2 lines\n\r" + db +
                                           " (in_2): 1 lines"},
                  go.shown());
    }
    focus("txt_tbl");
    keys("rec_{type}");
    KeyAnswers again({Qt::Key_Return, Qt::Key_Return});
    pick("mnu_go");
    EXPECT_EQ((std::vector<std::string>{
                  "Confirm: The database already exists: its other tables are kept. "
                  "Replace its tables named rec_1, rec_2, if it has them ?",
                  written + "\n\r" + db + " (rec_1): 2 lines\n\r" + db + " (rec_2): 1 lines"}),
              again.shown());
    EXPECT_EQ((std::vector<std::string>{"text:in_1", "text:in_2", "text:rec_1", "text:rec_2"}),
              query(db, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"));
    EXPECT_EQ((std::vector<std::string>{"text:AAA", "text:CCC"}), query(db, "SELECT * FROM rec_1"));
    EXPECT_EQ(std::vector<std::string>{"text:AAA|text:BB|text:12"}, query(db, "SELECT * FROM rec_2"));
}

// After a run of record types, File > Extract .DBF writes a dBase table per type, named as the result.
TEST_F(RecordTypesWindowTest, DbaseExportWritesATablePerType) {
    two_types(data.file("out.txt"));
    {
        KeyAnswers go({Qt::Key_Return});
        pick("mnu_go");
    }
    KeyAnswers dbf({Qt::Key_Return});
    pick("mnu_dbf");
    EXPECT_EQ(std::vector<std::string>{"Information: DBF files generated, one per record type:\n\r" +
                                       data.file("out-1.dbf") + ": 2 records\n\r" + data.file("out-2.dbf") +
                                       ": 1 records"},
              dbf.shown());
    for (const auto& [type, records, first] :
         {std::tuple{"1", 2, std::string(" AAA")}, std::tuple{"2", 1, std::string(" AAABB12")}}) {
        const std::string table = read_file(data.file(std::string("out-") + type + ".dbf"));
        ASSERT_GT(table.size(), 12u) << type;
        // The header's record count (bytes 4 to 7) and its length (8 and 9), little-endian.
        EXPECT_EQ(records, static_cast<unsigned char>(table[4]) | static_cast<unsigned char>(table[5]) << 8);
        const std::size_t start = static_cast<unsigned char>(table[8]) | static_cast<unsigned char>(table[9])
                                                                             << 8;
        EXPECT_EQ(first, table.substr(start, first.size())) << type;
    }
}

// A value the record boxes cannot use is told in a box before Go touches anything; good values frame
// records without line ends and leave out the first and the last.
TEST_F(RecordTypesWindowTest, RecordBoxesFrameTheInputOrAreRefused) {
    const std::string input = data.write("in.dat", "HHHHHHHHH0AAAAAAAAA1BBBBBBBBB2TTTTTTTTT9");
    const std::string output = data.file("out.txt");
    pick("mnu_sge");
    type_into("txt_inp", input);
    type_into("txt_out", output);
    set_rows({{"Name", "1", "9", ""}, {"N", "10", "1", ""}});
    struct Case {
        int format;
        std::string length, first, last, box;
    };
    const Case refused[] = {
        {1, "", "0", "0",
         "Information: Fixed-length records: give the record length, a whole number from 1 to 16777216."},
        {1, "x10", "0", "0",
         "Information: Fixed-length records: give the record length, a whole number from 1 to 16777216."},
        {0, "", "1a", "0", "Information: Skip first: give a whole number of lines, 0 or more."},
        {2, "", "0", "100001",
         "Information: Skip last: give a whole number of lines from 0 to 100000 (they are held in memory "
         "until "
         "the input ends)."},
    };
    for (const Case& c : refused) {
        choose("cbo_rfm", c.format);
        if (c.format == 1) type_into("txt_rln", c.length);
        type_into("txt_skf", c.first);
        type_into("txt_skl", c.last);
        KeyAnswers answers({Qt::Key_Return});
        pick("mnu_go");
        EXPECT_EQ(std::vector<std::string>{c.box}, answers.shown()) << c.first << c.last;
        EXPECT_FALSE(std::filesystem::exists(output));
    }
    choose("cbo_rfm", 1);
    type_into("txt_rln", "10");
    type_into("txt_skf", "1");
    type_into("txt_skl", "1");
    KeyAnswers answers({Qt::Key_Return});
    pick("mnu_go");
    EXPECT_EQ(std::vector<std::string>{"Information: Extract file generated"}, answers.shown());
    EXPECT_EQ("Name;N\r\nAAAAAAAAA;1\r\nBBBBBBBBB;2\r\n", read_file(output));
}

// The six tables of a payment file recalled as one layout set: the combo box shows each type's table,
// Go writes a result per type (the name given without {type} gets -{type}), the input view colours each
// line by its type, and Save As writes the set as it was read.
TEST_F(RecordTypesWindowTest, TablesPerRecordTypeFromRecallToGoAndSave) {
    LayoutSet set;
    for (const NachaLayout& layout : nacha_layouts()) {
        TypeTable& t = set.tables.emplace_back();
        t.value = std::string(1, layout.type);
        for (const NachaField& f : layout.fields)
            t.rows.push_back({f.name, std::to_string(f.start), std::to_string(f.length),
                              std::to_string(f.start + f.length - 1)});
    }
    set.carries = {{"5", "BatchNum"}};
    const std::string input = data.write(
        "pay.txt", nacha_file({.entries = 4, .entries_per_batch = 2, .addenda_every = 0}) + "Xodd\n");
    pick("mnu_sge");
    type_into("txt_inp", input);
    type_into("txt_out", data.file("out.csv"));
    const std::string set_path = recall(set);
    auto* types = find<QComboBox>("cbo_rty");
    ASSERT_EQ(6, types->count());
    choose("cbo_rty", 1);
    EXPECT_EQ("5", mdi->frm_dlm->shown_record_type());
    EXPECT_EQ("BatchNum  ", mdi->frm_dlm->field_table().rows().back().name);
    EXPECT_EQ(13, mdi->frm_dlm->field_table().row_count());

    // The input view: a batch header and an entry show their own fields at column 2.
    set_lines(mdi->frm_view->input_view(), {std::string(94, '5'), std::string(94, '6')});
    tick("chk_tint", true);
    EXPECT_EQ(QStringLiteral("Type 5: ServClass"),
              mdi->frm_view->input_view()->column_bands_of_line(0)[1].tip.section(QLatin1Char(' '), 0, 2));
    EXPECT_EQ(QStringLiteral("Type 6: TranCode"),
              mdi->frm_view->input_view()->column_bands_of_line(1)[1].tip.section(QLatin1Char(' '), 0, 2));
    clear_box(mdi->frm_view->input_view());

    KeyAnswers go({Qt::Key_Return});
    pick("mnu_go");
    go.stop();
    std::string done = "Information: Extract files generated, one per record type:";
    const int counts[] = {1, 2, 4, 0, 2, 1};
    for (int i = 0; i < 6; ++i)
        done += "\n\r" + data.file("out-" + set.tables[static_cast<std::size_t>(i)].value + ".csv") + ": " +
                std::to_string(counts[i]) + " lines";
    EXPECT_EQ(
        std::vector<std::string>{done + "\n\r1 record of type 'X' has no table (the first is record 11).\n\r"
                                        "The output file's name has no {type}: each type's result is named "
                                        "with -{type} (the type value) before the extension."},
        go.shown());
    // Each entry begins with its batch's number, carried from the batch header.
    const std::string entries = read_file(data.file("out-6.csv"));
    EXPECT_EQ("BatchNum;RecType;", entries.substr(0, 17));
    EXPECT_EQ("0000001;6;", entries.substr(entries.find("\r\n") + 2, 10));

    pick("mnu_vde");
    KeyAnswers add({Qt::Key_Return, Qt::Key_Return}, {QStringLiteral("X")});
    click(find<QWidget>("cmd_rta"));
    EXPECT_EQ(7, types->count());
    EXPECT_EQ((Rows{{"1st field", "1", "10", "10"}}), mdi->frm_dlm->field_table().rows());
    click(find<QWidget>("cmd_rtd"));
    EXPECT_EQ((std::vector<std::string>{"Record type: ", "Confirm: Remove the table of record type 'X'?"}),
              add.shown());
    EXPECT_EQ(6, types->count());
    add.stop();

    const std::string saved = data.file("saved.tabs");
    KeyAnswers save({Qt::Key_Return}, {q(saved)});
    pick("SaveAs1");
    EXPECT_EQ(read_file(set_path), read_file(saved));
}

}  // namespace
}  // namespace qvr::test
