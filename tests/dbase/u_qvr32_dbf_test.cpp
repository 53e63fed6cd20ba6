#include <QApplication>
#include <QProgressBar>
#include <filesystem>

#include "dbase/dbf_read_back.h"
#include "support/main_window_fixture.h"
#include "support/unwritable_places.h"

namespace qvr::test {
namespace {

const std::string kInput = "0001Alice \r\n0002Bob\r\n";
const std::string kFormer = "former table";
const std::vector<std::string> kTable = {"2 ID/4 NAME/6", "0001|Alice", "0002|Bob"};

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
    EXPECT_EQ(kTable, read_back_dbf(data.file("d.x/in.dbf")));
    EXPECT_EQ(true, mdi->frame_of(mdi->frm_gen)->isMaximized());
    EXPECT_EQ(100, gauge()->value());
    EXPECT_EQ(QColor(Qt::blue), gauge()->palette().color(QPalette::Highlight));
    EXPECT_EQ("d.x in.dbf in.txt | former table | 00", traces());
}

TEST_F(DbfCommandTest, RefusalsOfTheTableComeBeforeAnythingIsAsked) {
    const std::tuple<std::int64_t, std::vector<std::string>, BoxKind, QString> cases[] = {
        // lines generated, lengths, the box
        {16'700'001, {"10"}, BoxKind::information, "DBF file: not more than 16,700,000 records"},
        {2, {"200", "55"}, BoxKind::information, "Total fields length: not more than 254"},
        {2, {"5", "0"}, BoxKind::information, "DBF file: the length of row 2 must be at least 1."},
        {2, {"99999999999"}, BoxKind::general_error, "'99999999999' is not a valid integer value."},
    };
    for (const auto& [generated, lengths, kind, text] : cases) {
        mdi->values().tally.generated_line_count = generated;
        std::vector<FieldTable::Row> rows;
        for (const std::string& length : lengths) rows.push_back({"a", "1", length, ""});
        set_rows(rows);
        desktop.expect_box(kind, text, kOk, kOk);
        pick("mnu_dbf");
        desktop.verify();
        EXPECT_EQ(kNothingDone, traces()) << text.toStdString();
    }
}

TEST_F(DbfCommandTest, NameQuestionWhenTheTableExists) {
    std::filesystem::create_symlink(input, data.file("link.txt"));
    // The answer, the box it brings and where the table went (none: nothing was done).
    const std::tuple<std::optional<QString>, QString, std::string> cases[] = {
        {QString(), {}, ""},  // an emptied name stops the export, and Cancel as well
        {QStringLiteral(" \t "), {}, ""},
        {std::nullopt, {}, ""},
        // The input under any spelling is refused.
        {q(data.file("link.txt")), QStringLiteral("Input and DBF files must be different."), ""},
        {q(data.file("other.dbf")), q(data.file("other.dbf") + " generated"), "other.dbf"},
        {q(data.file("in.dbf")), q(data.file("in.dbf") + " generated"), "in.dbf"},  // OK keeps the name
    };
    for (const auto& [answer, info, table] : cases) {
        expect_name_question(answer);
        if (!info.isEmpty()) desktop.expect_info(info);
        pick("mnu_dbf");
        desktop.verify();
        if (table.empty())
            EXPECT_EQ("in.dbf in.txt link.txt | former table | 00", traces())
                << answer.value_or("Cancel").toStdString();
        else
            EXPECT_EQ(kTable, read_back_dbf(data.file(table)));
    }
    EXPECT_EQ(kInput, read_file(input));
}

TEST_F(DbfCommandTest, ATableThatCannotBeWrittenLeavesTheFormerFileAndNoTemporary) {
    expect_unwritable_places_kept(
        "dbf", kFormer, {{"former.dbf", "write", "File too large", 0644, 100}},
        [&](const std::string& path, const std::string& error) {
            expect_name_question(q(path));
            desktop.expect_general_error(q(error));
            pick("mnu_dbf");
            desktop.verify();
        },
        [&](const std::string& path) {
            EXPECT_EQ(kNothingDone, traces()) << path;
            // The program goes on: the next export, to a new name, works.
            expect_name_question(q(data.file("good.dbf")));
            desktop.expect_info(q(data.file("good.dbf") + " generated"));
            pick("mnu_dbf");
            EXPECT_EQ(kTable, read_back_dbf(data.file("good.dbf")));
            ::unlink(data.file("good.dbf").c_str());
        });
}

}  // namespace
}  // namespace qvr::test
