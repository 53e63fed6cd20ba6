#include <QApplication>
#include <QProgressBar>
#include <filesystem>
#include <functional>

#include "dbase/dbf_layout.h"
#include "dbase/dbf_read_back.h"
#include "support/file_faults.h"
#include "support/main_window_fixture.h"
#include "support/unwritable_places.h"

namespace qvr::test {
namespace {

const std::string kInput = "0001Alice \r\n0002Bob\r\n";
const std::string kFormer = "former table";
const DbfReadBack kTable{2, {"ID", "NAME"}, {4, 6}, {{"0001", "Alice"}, {"0002", "Bob"}}};

/// File > "Extract .DBF file" beside an input whose table already exists, so that the name question lets
/// the user aim the table anywhere.
class DbfCommandTest : public MainWindowTest {
  protected:
    void SetUp() override {
        start();
        find<QAction>("mnu_dbf")->setEnabled(true);
        input = data.write("in.txt", kInput);
        data.write("in.dbf", kFormer);
        mdi->frm_gen->set_input_path(input);
        mdi->values().tally.generated_line_count = 2;
        set_rows({{"id", "1", "4", ""}, {"Name", "5", "6", ""}});
    }

    void set_rows(std::vector<FieldTable::Row> rows) {
        mdi->frm_dlm->field_table().assign_rows(std::move(rows));
    }
    void expect_name_question(std::optional<QString> answer) {
        desktop.expect_input(QStringLiteral("File already exists"), QStringLiteral("Change name if wanted"),
                             q(data.file("in.dbf")), std::move(answer));
    }
    QProgressBar* gauge() { return find<QProgressBar>("gge_run"); }
    /// What an export leaves: the data folder, the former table, gauge shown and busy cursor as 0/1.
    std::string traces() {
        return list_folder(data.path()) + " | " + read_file(data.file("in.dbf")) + " | " +
               (gauge()->isVisible() ? "1" : "0") + (QApplication::overrideCursor() ? "1" : "0");
    }

    /// The program goes on: the next export, to a new name, works.
    void expect_next_export_works() {
        expect_name_question(q(data.file("good.dbf")));
        desktop.expect_info(q(data.file("good.dbf") + " generated"));
        pick("mnu_dbf");
        EXPECT_EQ(kTable, read_back_dbf(data.file("good.dbf")));
        ::unlink(data.file("good.dbf").c_str());
    }

    std::string input;
};

const std::string kNothingDone = "in.dbf in.txt | former table | 00";

TEST_F(DbfCommandTest, WritesTheTableBesideTheInput) {
    // Only the last extension is replaced, not a dot in a folder name. No lines generated yet: the gauge
    // has no count to go by, and the header gets the records actually written.
    std::filesystem::create_directory(data.file("d.x"));
    mdi->frm_gen->set_input_path(data.write("d.x/in.txt", kInput));
    mdi->values().tally.generated_line_count = 0;
    mdi->show_fields_definition();
    desktop.expect_info(q(data.file("d.x/in.dbf") + " generated"));
    pick("mnu_dbf");
    EXPECT_EQ(dbf_header({{"ID", 4}, {"NAME", 6}}, 2) + " 0001Alice  0002Bob   \x1A",
              read_file(data.file("d.x/in.dbf")));
    EXPECT_EQ(true, mdi->frame_of(mdi->frm_gen)->isMaximized());
    EXPECT_EQ(100, gauge()->value());
    EXPECT_EQ(QColor(Qt::blue), gauge()->palette().color(QPalette::Highlight));
    EXPECT_EQ("d.x in.dbf in.txt | former table | 00", traces());
}

TEST_F(DbfCommandTest, RefusalsOfTheTableComeBeforeAnythingIsAsked) {
    struct Case {
        std::int64_t generated;
        std::vector<std::string> lengths;
        BoxKind kind;
        QString text;
    };
    const Case cases[] = {
        {16'700'001, {"10"}, BoxKind::information, "DBF file: not more than 16,700,000 records"},
        {2, {"200", "55"}, BoxKind::information, "Total fields length: not more than 254"},
        {2, {"5", "0"}, BoxKind::information, "DBF file: the length of row 2 must be at least 1."},
        {2, {"99999999999"}, BoxKind::general_error, "'99999999999' is not a valid integer value."},
    };
    for (const Case& c : cases) {
        mdi->values().tally.generated_line_count = c.generated;
        std::vector<FieldTable::Row> rows;
        for (const std::string& length : c.lengths) rows.push_back({"a", "1", length, ""});
        set_rows(rows);
        desktop.expect_box(c.kind, c.text, kOk, kOk);
        pick("mnu_dbf");
        desktop.verify();
        EXPECT_EQ(kNothingDone, traces()) << c.text.toStdString();
    }
}

TEST_F(DbfCommandTest, NameQuestionWhenTheTableExists) {
    expect_name_question(q(data.file("other.dbf")));
    desktop.expect_info(q(data.file("other.dbf") + " generated"));
    pick("mnu_dbf");
    EXPECT_EQ(kTable, read_back_dbf(data.file("other.dbf")));
    ::unlink(data.file("other.dbf").c_str());
    // An emptied name stops the export.
    expect_name_question(QString());
    pick("mnu_dbf");
    expect_name_question(QStringLiteral(" \t "));
    pick("mnu_dbf");
    // The input under any spelling is refused.
    std::filesystem::create_symlink(input, data.file("link.txt"));
    expect_name_question(q(data.file("link.txt")));
    desktop.expect_info(QStringLiteral("Input and DBF files must be different."));
    pick("mnu_dbf");
    ::unlink(data.file("link.txt").c_str());
    EXPECT_EQ(kNothingDone, traces());
    EXPECT_EQ(kInput, read_file(input));
    // Cancel ends the export as an emptied name does; OK keeps the proposed name.
    expect_name_question(std::nullopt);
    pick("mnu_dbf");
    EXPECT_EQ(kNothingDone, traces());
    expect_name_question(q(data.file("in.dbf")));
    desktop.expect_info(q(data.file("in.dbf") + " generated"));
    pick("mnu_dbf");
    EXPECT_EQ(kTable, read_back_dbf(data.file("in.dbf")));
}

TEST_F(DbfCommandTest, ATableThatCannotBeWrittenLeavesTheFormerFileAndNoTemporary) {
    expect_unwritable_places_kept(
        "dbf", kFormer,
        {{"/dev/full", "write", "No space left on device"},
         {"taken.dbf", "create", "Is a directory"},
         {"former.dbf", "create", "Permission denied", 0444},
         {"former.dbf", "write", "File too large", 0644, 100}},
        [&](const std::string& path, const std::string& error) {
            expect_name_question(q(path));
            desktop.expect_general_error(q(error));
            pick("mnu_dbf");
            desktop.verify();
        },
        [&](const std::string& path) {
            EXPECT_EQ(kNothingDone, traces()) << path;
            expect_next_export_works();
        });
}

TEST_F(DbfCommandTest, AnInputNoLongerAFileLeavesTheFormerTable) {
    const std::pair<std::function<void(const std::string&)>, std::string> cases[] = {
        {[](const std::string&) {}, "No such file or directory"},
        {[](const std::string& p) { make_fifo(p); }, "It is not a regular file"},
        {[](const std::string& p) { ::close(::open(p.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0)); },
         "Permission denied"},
    };
    const HangGuard guard(60);
    for (const auto& [spoil, reason] : cases) {
        ::unlink(input.c_str());
        spoil(input);
        expect_name_question(q(input.substr(0, input.size() - 3) + "dbf"));
        desktop.expect_general_error(q("Cannot open file " + input + ". " + reason + "."));
        {
            const PermissionsHold permissions;
            pick("mnu_dbf");
        }
        desktop.verify();
        ::unlink(input.c_str());
        data.write("in.txt", kInput);
        EXPECT_EQ(kNothingDone, traces()) << reason;
        expect_next_export_works();
    }
}

TEST_F(DbfCommandTest, AbsurdStartPositionsGiveBlankFields) {
    set_rows({{"id", "2147483647", "4", ""}, {"Name", "-2147483648", "6", ""}});
    expect_name_question(q(data.file("in.dbf")));
    desktop.expect_info(q(data.file("in.dbf") + " generated"));
    pick("mnu_dbf");
    EXPECT_EQ((DbfReadBack{2, {"ID", "NAME"}, {4, 6}, {{"", "0001Al"}, {"", "0002Bo"}}}),
              read_back_dbf(data.file("in.dbf")));
    // A start that with its length passes 32 bits.
    set_rows({{"id", "0", "4", ""}, {"Name", "2147483644", "6", ""}});
    expect_name_question(q(data.file("in.dbf")));
    desktop.expect_info(q(data.file("in.dbf") + " generated"));
    pick("mnu_dbf");
    EXPECT_EQ((DbfReadBack{2, {"ID", "NAME"}, {4, 6}, {{"0001", ""}, {"0002", ""}}}),
              read_back_dbf(data.file("in.dbf")));
}

}  // namespace
}  // namespace qvr::test
