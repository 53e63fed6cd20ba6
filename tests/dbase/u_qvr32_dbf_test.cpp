#include <QApplication>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <filesystem>
#include <string>

#include "dbase/dbf_layout.h"
#include "dbase/dbf_read_back.h"
#include "engine/u_gen.h"
#include "fields/u_dlm.h"
#include "support/main_window_fixture.h"

namespace qvr {
namespace {

using namespace std::string_literals;
using test::DbfReadBack;
using test::list_folder;
using test::read_back_dbf;
using test::read_file;

using Row = FieldTable::Row;

QString q(const std::string& s) { return QString::fromStdString(s); }

class DbfCommandTest : public test::MainWindowTest {
  protected:
    void SetUp() override {
        start();
        find<QAction>("mnu_dbf")->setEnabled(true);
        set_rows({{"id", "1", "4", "4"}, {"Name", "5", "6", "10"}});
    }

    /// Writes the input file `name` with `bytes` into the data folder and names it in the input box.
    std::string use_input(const std::string& name, const std::string& bytes, std::int64_t generated = 2) {
        std::filesystem::create_directories(std::filesystem::path(data.file(name)).parent_path());
        std::string path = data.write(name, bytes);
        mdi->frm_gen->set_input_path(path);
        mdi->values().generated_line_count = generated;
        return path;
    }

    void set_rows(const std::vector<Row>& rows) { mdi->frm_dlm->field_table().assign_rows(rows); }

    /// Expects the name question for `proposed`, answered with `answer` (Cancel when none).
    void expect_name_question(const std::string& proposed, std::optional<QString> answer) {
        desktop.expect_input(QStringLiteral("File already exists"), QStringLiteral("Change name if wanted"),
                             q(proposed), std::move(answer));
    }

    QProgressBar* gauge() { return find<QProgressBar>("gge_run"); }

    const std::string kInput = "0001Alice \r\n0002Bob\r\n";
    const DbfReadBack kTable{2, {"ID", "NAME"}, {4, 6}, {{"0001", "Alice"}, {"0002", "Bob"}}};
};

TEST_F(DbfCommandTest, WritesTheTableBesideTheInput) {
    // Only the last extension is replaced, not a dot in a folder name. No lines generated yet: the gauge
    // has no count to go by, and the header gets the records actually written.
    use_input("d.x/in.txt", kInput, 0);
    mdi->show_fields_definition();
    desktop.expect_info(q(data.file("d.x/in.dbf") + " generated"));
    pick("mnu_dbf");

    const std::string header = dbf_header({{"ID", 4}, {"NAME", 6}}, 2);
    EXPECT_EQ(header +
                  " 0001Alice "
                  " 0002Bob   "
                  "\x1A",
              read_file(data.file("d.x/in.dbf")));
    EXPECT_EQ(kTable, read_back_dbf(data.file("d.x/in.dbf")));
    EXPECT_TRUE(mdi->frame_of(mdi->frm_gen)->isMaximized());
    EXPECT_FALSE(gauge()->isVisible());
    EXPECT_EQ(100, gauge()->value());
    EXPECT_EQ(QColor(Qt::blue), gauge()->palette().color(QPalette::Highlight));
    EXPECT_EQ(nullptr, QApplication::overrideCursor());
}

TEST_F(DbfCommandTest, TableAndCountRefusalsWriteNothing) {
    struct Case {
        std::int64_t generated;
        std::vector<Row> rows;
        BoxKind kind;
        QString text;
    };
    const Case cases[] = {
        {16'700'001,
         {{"a", "1", "10", ""}},
         BoxKind::information,
         "DBF file: not more than 16,700,000 records"},
        {2,
         {{"a", "1", "200", ""}, {"b", "1", "55", ""}},
         BoxKind::information,
         "Total fields length: not more than 254"},
        {2,
         {{"a", "1", "5", ""}, {"b", "1", "0", ""}},
         BoxKind::information,
         "DBF file: the length of row 2 must be at least 1."},
        {2, {{"a", "1", "abc", ""}}, BoxKind::general_error, "'abc' is not a valid integer value."},
    };
    for (const Case& c : cases) {
        use_input("in.txt", kInput, c.generated);
        set_rows(c.rows);
        desktop.expect_box(c.kind, c.text, kOk, kOk);
        pick("mnu_dbf");
        EXPECT_EQ("in.txt", list_folder(data.path())) << c.text.toStdString();
    }
}

TEST_F(DbfCommandTest, LimitsAcceptTheirLastValues) {
    use_input("in.txt", kInput, 16'700'000);
    set_rows({{"a", "1", "200", ""}, {"b", "201", "54", ""}});
    desktop.expect_info(q(data.file("in.dbf") + " generated"));
    pick("mnu_dbf");
    const std::string bytes = read_file(data.file("in.dbf"));
    EXPECT_EQ("\xFF\x00"s, bytes.substr(10, 2));
    EXPECT_EQ("\x02\x00\x00\x00"s, bytes.substr(4, 4));  // the records written, not the count announced
    EXPECT_EQ(2, read_back_dbf(data.file("in.dbf")).records);
}

TEST_F(DbfCommandTest, NameQuestionWhenTheTableExists) {
    use_input("in.txt", kInput);
    data.write("in.dbf", "former");

    expect_name_question(data.file("in.dbf"), q(data.file("other.dbf")));
    desktop.expect_info(q(data.file("other.dbf") + " generated"));
    pick("mnu_dbf");
    EXPECT_EQ("former", read_file(data.file("in.dbf")));
    EXPECT_EQ(kTable, read_back_dbf(data.file("other.dbf")));

    expect_name_question(data.file("in.dbf"), QString());
    pick("mnu_dbf");
    expect_name_question(data.file("in.dbf"), QStringLiteral(" \t "));
    pick("mnu_dbf");
    EXPECT_EQ("former", read_file(data.file("in.dbf")));
    EXPECT_EQ("in.dbf in.txt other.dbf", list_folder(data.path()));

    expect_name_question(data.file("in.dbf"), std::nullopt);
    desktop.expect_info(q(data.file("in.dbf") + " generated"));
    pick("mnu_dbf");
    EXPECT_EQ(kTable, read_back_dbf(data.file("in.dbf")));
}

TEST_F(DbfCommandTest, NeverWritesOverTheInput) {
    const std::string input = use_input("data.dbf", kInput);
    expect_name_question(input, std::nullopt);
    desktop.expect_info(QStringLiteral("Input and DBF files must be different."));
    pick("mnu_dbf");

    // A typed name that is the input under another spelling.
    use_input("in.txt", kInput);
    data.write("in.dbf", "former");
    std::filesystem::create_symlink(data.file("in.txt"), data.file("link.txt"));
    expect_name_question(data.file("in.dbf"), q(data.file("link.txt")));
    desktop.expect_info(QStringLiteral("Input and DBF files must be different."));
    pick("mnu_dbf");
    EXPECT_EQ(kInput, read_file(input));
    EXPECT_EQ(kInput, read_file(data.file("in.txt")));
    EXPECT_EQ("former", read_file(data.file("in.dbf")));
    EXPECT_EQ("data.dbf in.dbf in.txt link.txt", list_folder(data.path()));
}

TEST_F(DbfCommandTest, FailuresLeaveTheFormerTable) {
    use_input("in.txt", kInput);
    data.write("in.dbf", "former");
    // An input that vanished since it was chosen.
    std::filesystem::rename(data.file("in.txt"), data.file("keep.txt"));
    expect_name_question(data.file("in.dbf"), std::nullopt);
    desktop.expect_general_error(
        q("Cannot open file " + data.file("in.txt") + ". No such file or directory."));
    pick("mnu_dbf");
    EXPECT_EQ("former", read_file(data.file("in.dbf")));
    EXPECT_EQ("in.dbf keep.txt", list_folder(data.path()));
    EXPECT_FALSE(gauge()->isVisible());
    EXPECT_EQ(nullptr, QApplication::overrideCursor());

    std::filesystem::rename(data.file("keep.txt"), data.file("in.txt"));
    set_rows({{"a", "1", "2", ""}, {"b", "x", "2", ""}});
    expect_name_question(data.file("in.dbf"), std::nullopt);
    desktop.expect_general_error(QStringLiteral("'x' is not a valid integer value."));
    pick("mnu_dbf");
    EXPECT_EQ("former", read_file(data.file("in.dbf")));
    EXPECT_EQ("in.dbf in.txt", list_folder(data.path()));
}

}  // namespace
}  // namespace qvr
