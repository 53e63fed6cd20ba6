#include "outputs/table_sinks.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "common/file_names.h"
#include "engine/standard_extract.h"
#include "outputs/output_formats.h"
#include "outputs/read_back.h"
#include "support/temp_dir.h"

namespace qvr::test {
namespace {

using testing::ElementsAre;

// Id int, Code text (a code of digits), Amount dec(2), Day date(YYYYMMDD), Name text.
const std::string kInput =
    "-0012001230000012345202612071 Ann  \r\n"
    "000070000 -000123450190002282 Bob  \r\n"
    "         007  00000000         Cy   \r\n";

ExtractJob typed_job(const TempDir& dir, const std::string& format, const std::string& output) {
    ExtractJob job;
    job.input_path = dir.write("in put.txt", kInput);
    job.output_path = dir.file(output);
    job.slices = {{1, 5}, {6, 5}, {11, 10}, {21, 8}, {29, 7}};
    job.types = {
        parse_field_type("int"), {}, parse_field_type("dec(2)"), parse_field_type("date(YYYYMMDD)"), {}};
    job.names = {"Id", "Code", "Amount", "Day", "Name "};
    job.separator = ";";
    job.trim = job.numbers = true;
    if (format != "text") job.output = output_format(format)->maker;
    return job;
}

void exec(const std::string& path, const char* sql) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

// The database holds what the separated text of the same typed fields says, each number exactly, with
// its column's type; the table is named after the input.
TEST(TableSinks, ADatabaseTableHoldsTheValuesOfTheSeparatedText) {
    TempDir dir;
    ExtractJob job = typed_job(dir, "sqlite", "out.db");
    RunTally tally;
    ASSERT_EQ(ExtractOutcome::generated, standard_extract(job, ExtractHooks(), tally));
    std::vector<std::string> expected;
    const LineCutter cutter(job.slices, ";", true, TextEncoding::cp1252, false, job.types);
    std::string cut;
    int nb = 0;
    for (std::size_t at = 0; at < kInput.size(); at = kInput.find('\n', at) + 1) {
        const std::string_view line = std::string_view(kInput).substr(at, kInput.find('\r', at) - at);
        cutter.cut(line, cut);
        std::string row = "int:" + std::to_string(++nb);
        std::size_t from = 0;
        for (const char* type : {"int", "text", "text", "text", "text"}) {
            const std::size_t to = std::min(cut.find(';', from), cut.size());
            const std::string value = cut.substr(from, to - from);
            row += std::string("|") + (value.empty() ? "null" : type) + ":" + value;
            from = to + 1;
        }
        expected.push_back(row);
    }
    EXPECT_EQ(expected,
              query(job.output_path,
                    "SELECT Nb, Id, Code, iif(Amount IS NULL, NULL, printf('%.2f', Amount)), Day, Name FROM "
                    "\"in put\" ORDER BY Nb"));
    EXPECT_THAT(query(job.output_path, "SELECT DISTINCT typeof(Id), typeof(Amount) FROM \"in put\" WHERE Id"),
                ElementsAre("text:integer|text:real"));
}

// A second run into the same table is refused and changes nothing; replacing it keeps the other tables.
// A run stopped midway leaves the database as it was.
TEST(TableSinks, ATakenTableIsRefusedAndAStoppedRunChangesNothing) {
    TempDir dir;
    ExtractJob job = typed_job(dir, "sqlite", "out.db");
    exec(job.output_path, "CREATE TABLE other (x); INSERT INTO other VALUES (1)");
    RunTally tally;
    standard_extract(job, ExtractHooks(), tally);
    EXPECT_THROW(standard_extract(job, ExtractHooks(), tally), UserError);
    job.replace_table = true;
    job.sample_size = 1;
    standard_extract(job, ExtractHooks(), tally);
    EXPECT_THAT(query(job.output_path,
                      "SELECT name, (SELECT count(*) FROM other), (SELECT count(*) FROM "
                      "\"in put\") FROM sqlite_schema"),
                ElementsAre("text:other|int:1|int:1", "text:in put|int:1|int:1"));

    std::string many;
    for (int i = 0; i < 20000; ++i) many += kInput;
    dir.write("in put.txt", many);
    job.sample_size = 0;
    StopRequest stop;
    ExtractHooks hooks;
    hooks.stop = &stop;
    hooks.gauge = [&stop](int position) {
        if (position > 40) stop.request();
    };
    EXPECT_THROW(standard_extract(job, hooks, tally), RunStopped);
    EXPECT_GT(tally.generated_line_count, 1);
    EXPECT_THAT(query(job.output_path, "SELECT count(*) FROM \"in put\""), ElementsAre("int:1"));
    EXPECT_FALSE(file_exists(job.output_path + "-journal"));
}

// openpyxl reads numbers as numbers, dates as dates, the code as text, under the bold names row.
TEST(TableSinks, AWorkbookHasTypedCellsUnderItsHeader) {
    TempDir dir;
    ExtractJob job = typed_job(dir, "xlsx", "out.xlsx");
    job.header = true;
    RunTally tally;
    ASSERT_EQ(ExtractOutcome::generated, standard_extract(job, ExtractHooks(), tally));
    const std::vector<std::string> lines = cells(job.output_path);
    ASSERT_GE(lines.size(), 13u);
    EXPECT_THAT(lines[0], testing::StartsWith("sheet in put frozen=A2 "));
    EXPECT_EQ((std::vector<std::string>{"A1 s bold Nb", "B1 s bold Id", "C1 s bold Code", "D1 s bold Amount",
                                        "E1 s bold Day", "F1 s bold Name", "A2 n 1", "B2 n -12", "C2 s 00123",
                                        "D2 n 123.45", "E2 d 2026-12-07", "F2 s 1 Ann"}),
              std::vector<std::string>(lines.begin() + 1, lines.begin() + 13));
}

// Rows a sheet cannot hold go on in the next, with the header, and the closing note says so.
TEST(TableSinks, AFullSheetGoesOnInTheNextAndTheNoteSaysSo) {
    TempDir dir;
    ExtractJob job = typed_job(dir, "xlsx", "out.xlsx");
    job.header = true;
    job.numbers = false;
    {
        XlsxSink sink(job, 2);
        const std::vector<std::string_view> fields = {"00001", "A", "0000000100", "2026-12-07", "x"};
        for (int i = 1; i <= 3; ++i) sink.put({"", i, &fields});
        sink.commit();
        EXPECT_EQ("The rows fill 2 sheets of 2 rows: in put to in put (2)", sink.closing_note());
    }
    const std::vector<std::string> lines = cells(job.output_path);
    EXPECT_EQ(2, std::count_if(lines.begin(), lines.end(),
                               [](const std::string& l) { return l.starts_with("sheet "); }));
    EXPECT_THAT(lines, testing::Contains("A1 s bold Id").Times(2));
    EXPECT_THAT(lines, testing::Contains("A2 n 1").Times(2));
}

}  // namespace
}  // namespace qvr::test
