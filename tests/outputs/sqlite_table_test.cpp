#include "outputs/sqlite_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "outputs/read_back.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

using test::query;
using test::TempDir;
using Rows = std::vector<std::vector<std::string_view>>;

void load(SqliteTableJob job, const Rows& rows) {
    SqliteTableWriter writer(std::move(job));
    writer.begin();
    for (const auto& row : rows) writer.add_row(row);
    writer.commit();
}

const std::vector<OutputColumn> kColumns = {{"Id", ColumnKind::integer, 8, 0, 8},
                                            {"Amount", ColumnKind::decimal, 12, 2, 12},
                                            {"Wide", ColumnKind::decimal, 20, 2, 21},
                                            {"Day", ColumnKind::date, 0, 0, 8},
                                            {"Nom \"\xe9\"", ColumnKind::text, 0, 0, 10}};

TEST(SqliteTable, TypedColumnsKeepEveryValueExactly) {
    TempDir dir;
    const std::string db = dir.file("out.db");
    load({db, "in put", kColumns, false, TextEncoding::cp1252},
         {{"-00012", "123.45", "12345678901234567.89", "2026-12-07", "00123"},
          {"99999999", "-1234.50", "-0.05", "1900-02-28", "Zo\xeb"},
          {"", "9999999999.99", "", "", ""}});
    EXPECT_THAT(
        query(db, "SELECT sql FROM sqlite_schema"),
        testing::ElementsAre("text:CREATE TABLE \"in put\" (\"Id\" INTEGER, \"Amount\" DECIMAL(12,2), "
                             "\"Wide\" TEXT, \"Day\" DATE, \"Nom \"\"\xc3\xa9\"\"\" TEXT)"));
    EXPECT_THAT(
        query(db, "SELECT * FROM \"in put\""),
        testing::ElementsAre("int:-12|real:123.45|text:12345678901234567.89|text:2026-12-07|text:00123",
                             "int:99999999|real:-1234.5|text:-0.05|text:1900-02-28|text:Zo\xc3\xab",
                             "null:|real:9999999999.99|null:|null:|null:"));
}

TEST(SqliteTable, ABadValueNamesItsColumnAndRowAndLeavesNothing) {
    TempDir dir;
    const std::pair<std::vector<std::string_view>, std::string> cases[] = {
        {{"12x", "1", "1", "", ""}, "Id (row 2): '12x' is not an integer"},
        {{"1.5", "1", "1", "", ""}, "Id (row 2): '1.5' is not an integer"},
        {{"1", "1e3", "1", "", ""}, "Amount (row 2): '1e3' is not a decimal number"},
        {{"1", "1", "1", "2023-02-29", ""}, "Day (row 2): '2023-02-29' is not a date (YYYY-MM-DD)"},
        {{"1", "1234567890123.5", "", "", ""},
         "Amount (row 2): '1234567890123.5' has more than the column's 12 digits"},
        {{"1", "1", "1.", "", ""}, "Wide (row 2): '1.' is not a decimal number"},
        {{"1", "1", "1", "7/12/2026", ""}, "Day (row 2): '7/12/2026' is not a date (YYYY-MM-DD)"},
    };
    for (const auto& [row, message] : cases) {
        EXPECT_THAT(
            [&] {
                load({dir.file("bad.db"), "t", kColumns}, {{"1", "1", "1", "", ""}, row});
            },
            testing::ThrowsMessage<UserError>(message));
        EXPECT_EQ("", test::list_folder(dir.path())) << message;
    }
}

TEST(SqliteTable, ATakenNameIsRefusedUnlessReplacedAndOtherTablesStay) {
    TempDir dir;
    const std::string db = dir.file("out.db");
    const std::vector<OutputColumn> one = {{"A", ColumnKind::integer, 4, 0, 4}};
    load({db, "other", one}, {{"7"}});
    load({db, "data", one}, {{"1"}});
    const std::string before = test::read_file(db);
    EXPECT_THROW(load({db, "DATA", one}, {{"2"}}), TableExists);
    EXPECT_EQ(before, test::read_file(db));
    load({db, "Data", one, true}, {{"3"}});
    EXPECT_THAT(query(db, "SELECT name FROM sqlite_schema ORDER BY name"),
                testing::ElementsAre("text:Data", "text:other"));
    EXPECT_THAT(query(db, "SELECT a FROM data UNION ALL SELECT a FROM other"),
                testing::ElementsAre("int:3", "int:7"));
}

TEST(SqliteTable, AnAbandonedLoadLeavesTheDatabaseAsItWas) {
    TempDir dir;
    const std::string db = dir.file("out.db");
    const std::vector<OutputColumn> one = {{"A", ColumnKind::text, 0, 0, 4}};
    load({db, "kept", one}, {{"x"}});
    const std::string before = test::read_file(db);
    for (const bool overwrite : {false, true}) {
        SqliteTableWriter writer({db, overwrite ? "kept" : "new", one, overwrite});
        writer.begin();
        for (int i = 0; i < 50000; ++i) writer.add_row({"a value long enough to fill some pages"});
        writer.abandon();
        EXPECT_EQ(before, test::read_file(db));
    }
    EXPECT_EQ("out.db", test::list_folder(dir.path()));
    // A database made for the load goes too.
    SqliteTableWriter writer({dir.file("fresh.db"), "t", one});
    writer.begin();
    writer.add_row({"x"});
    writer.abandon();
    EXPECT_EQ("out.db", test::list_folder(dir.path()));
}

TEST(SqliteTable, AFileThatIsNoDatabaseIsNamedAndKept) {
    TempDir dir;
    const std::string path = dir.write("notes.db", "plain text, not a database, long enough to tell\n");
    EXPECT_THAT(
        [&] {
            load({path, "t", kColumns}, {});
        },
        testing::ThrowsMessage<FileError>(
            testing::StartsWith("Cannot write database " + path + ". file is not a database")));
    EXPECT_EQ("plain text, not a database, long enough to tell\n", test::read_file(path));
}

}  // namespace
}  // namespace qvr
