// Files of several record types: one run writes a result per type, carrying a header's field down.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "batch_harness.h"
#include "outputs/read_back.h"
#include "support/nacha_file.h"

namespace qvr::test {
namespace {

// A separated result read back: the header's names, then each row's fields.
struct Rows {
    std::vector<std::string> names;
    std::vector<std::vector<std::string>> rows;
    std::size_t column(const std::string& name) const {
        for (std::size_t i = 0; i < names.size(); ++i)
            if (names[i] == name) return i;
        ADD_FAILURE() << "no column " << name;
        return 0;
    }
};

Rows read_rows(const std::string& path) {
    Rows rows;
    std::istringstream text(read_file(path));
    for (std::string line; std::getline(text, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '\t');) fields.push_back(cell);
        if (rows.names.empty())
            rows.names = fields;
        else
            rows.rows.push_back(fields);
    }
    return rows;
}

// One pass over a payment file of 100,000 entries with a table per type and the batch number carried
// down: every line lands in its type's result, and each batch's entries add up to its control record.
TEST(BatchRecordTypes, PaymentFileBatchesAddUpThroughTheCarriedNumber) {
    TempDir dir;
    const std::string input = dir.write("pay.ach", nacha_file({100000, 900, 3, 7, "\r\n"}));
    Args args = {"extract", "--input",    input,   "--output", dir.file("out-{type}.csv"), "--records", "1:1",
                 "--carry", "5:BatchNum", "--tab", "--trim"};
    for (const NachaLayout& layout : nacha_layouts())
        args.insert(args.end(), {"--layout", std::string(1, layout.type) + "=" + examples_dir() + "/nacha/" +
                                                 layout.file});
    const BatchOutcome r = run_batch_in_process(args);
    ASSERT_EQ(0, r.status) << r.err;

    std::map<char, Rows> out;
    std::size_t lines = 0;
    for (const char type : std::string("156789")) {
        out[type] = read_rows(dir.file(std::string("out-") + type + ".csv"));
        lines += out[type].rows.size();
    }
    const std::string text = read_file(input);
    EXPECT_EQ(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')), lines);
    EXPECT_EQ(100000u, out['6'].rows.size());
    EXPECT_EQ("BatchNum", out['6'].names[0]);
    EXPECT_EQ("RecType", out['5'].names[0]);  // a type's own carry is not put in front of it

    struct Totals {
        std::uint64_t count = 0, debit = 0, credit = 0;
    };
    std::map<std::string, Totals> batches;
    const Rows& entries = out['6'];
    const std::size_t code = entries.column("TranCode"), amount = entries.column("Amount");
    for (const auto& row : entries.rows) {
        Totals& t = batches[row[0]];
        ++t.count;
        (row[code].back() == '7' ? t.debit : t.credit) += std::stoull(row[amount]);
    }
    for (const auto& row : out['7'].rows) ++batches[row[0]].count;
    const Rows& controls = out['8'];
    ASSERT_EQ(batches.size(), controls.rows.size());
    for (const auto& row : controls.rows) {
        const Totals& t = batches[row[0]];
        EXPECT_EQ(row[0], row[controls.column("BatchNum")]);
        EXPECT_EQ(t.count, std::stoull(row[controls.column("EntryCount")])) << "batch " << row[0];
        EXPECT_EQ(t.debit, std::stoull(row[controls.column("TotalDebit")])) << "batch " << row[0];
        EXPECT_EQ(t.credit, std::stoull(row[controls.column("TotalCredt")])) << "batch " << row[0];
    }
}

// Records of a type without a table are counted and told, with status 1, unless '*' takes them; a run
// that fails replaces none of its results.
TEST(BatchRecordTypes, UnknownTypesAreToldAndAFailedRunReplacesNoResult) {
    TempDir dir;
    const std::string input = dir.write("in.dat", "Aa1B22C33Aa2B44");
    const std::string a = dir.write("a.tab", "Key       2    2    3    \r\n");
    const std::string b = dir.write("b.tab", "N         2    2    3    \r\n");
    const Args base = {"extract",
                       "--input",
                       input,
                       "--output",
                       dir.file("o-{type}.txt"),
                       "--records",
                       "1:1",
                       "--record-length",
                       "3",
                       "--layout",
                       "A=" + a,
                       "--layout",
                       "B=" + b,
                       "--carry",
                       "A:Key",
                       "--overwrite"};
    const BatchOutcome r = run_batch_in_process(base);
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos,
              r.err.find(input + ": 1 record of type 'C' has no table (the first is record 3) (--layout "
                                 "'*'=FILE takes them).\n"))
        << r.err;
    EXPECT_EQ("Key\r\na1\r\na2\r\n", read_file(dir.file("o-A.txt")));
    EXPECT_EQ("Key;N\r\na1;22\r\na2;44\r\n", read_file(dir.file("o-B.txt")));

    Args other = base;
    other.insert(other.end(), {"--layout", "*=" + b});
    EXPECT_EQ(0, run_batch_in_process(other).status);
    EXPECT_EQ("Key;N\r\na1;33\r\n", read_file(dir.file("o-%2A.txt")));

    dir.write("in.dat", "Aa1B22C33Aa2B4");  // a short last record
    const BatchOutcome broken = run_batch_in_process(other);
    EXPECT_EQ(1, broken.status);
    EXPECT_EQ("Key\r\na1\r\na2\r\n", read_file(dir.file("o-A.txt")));
    EXPECT_EQ("Key;N\r\na1;33\r\n", read_file(dir.file("o-%2A.txt")));
}

// Typed fields, sorted and unique per type, into one database: a table per type beside the user's own,
// all in one transaction, so a refused table or a strict run's bad value leaves the database as it was.
TEST(BatchRecordTypes, SortedTypedTablesGoIntoOneDatabaseTogether) {
    TempDir dir;
    const std::string input = dir.write("in.dat", "Ak2 5\nBx1 001250\nAk1 7\nAk1 7\nBy0 000325\n");
    const std::string db = dir.file("out.db");
    const Args base = {
        "extract",
        "--input",
        input,
        "--output",
        db,
        "--format",
        "sqlite",
        "--records",
        "1:1",
        "--layout",
        "A=" + dir.write("a.tab", "Key       2    2    3    \r\nN         4    2    5    int\r\n"),
        "--layout",
        "B=" + dir.write("b.tab", "M         2    2    3    \r\nV         5    6    10   dec(2)\r\n"),
        "--carry",
        "A:Key",
        "--unique",
        "--trim"};
    {
        sqlite3* handle = nullptr;
        sqlite3_open(db.c_str(), &handle);
        sqlite3_exec(handle, "CREATE TABLE mine (x); CREATE TABLE t_B (y)", nullptr, nullptr, nullptr);
        sqlite3_close(handle);
    }
    const BatchOutcome r = run_batch_in_process(base);
    ASSERT_EQ(0, r.status) << r.err;
    const std::vector<std::string> a = {"text:k1|int:7", "text:k2|int:5"};
    const std::vector<std::string> b = {"text:k1|text:y0|real:3.25", "text:k2|text:x1|real:12.5"};
    const std::vector<std::string> names = {"text:in_A", "text:in_B", "text:mine", "text:t_B"};
    auto rows = [&](const std::string& table) {
        return query(db, "SELECT * FROM " + table + " ORDER BY rowid");
    };
    EXPECT_EQ(a, rows("in_A"));
    EXPECT_EQ(b, rows("in_B"));

    struct Case {
        const char* what;
        Args more;
        std::string input;
        const char* told;
    };
    const Case cases[] = {
        // t_A is made, then t_B is the user's: the whole load goes back.
        {"a table taken", {"--table", "t_{type}"}, "", "t_B"},
        {"a bad value", {"--overwrite", "--strict"}, "Ak2 5\nAkx z\nB   000100\n", "N (type A): 1 value"},
    };
    for (const Case& c : cases) {
        if (!c.input.empty()) dir.write("in.dat", c.input);
        const BatchOutcome failed = run_batch_in_process(join({base, c.more}));
        EXPECT_NE(0, failed.status) << c.what;
        EXPECT_NE(std::string::npos, failed.err.find(c.told)) << c.what << ": " << failed.err;
        EXPECT_EQ(a, rows("in_A")) << c.what;
        EXPECT_EQ(b, rows("in_B")) << c.what;
        EXPECT_EQ(names, query(db, "SELECT name FROM sqlite_schema ORDER BY name")) << c.what;
    }
}

// A sheet per type in one workbook, sorted and typed, its rows written as they come between the others';
// a strict run's bad value leaves the former workbook.
TEST(BatchRecordTypes, SheetsPerTypeGoIntoOneWorkbook) {
    TempDir dir;
    const std::string input = dir.write("in.dat", "Ak2 5\nBx1 001250\nAk1 7\n");
    const std::string book = dir.file("pay.xlsx");
    const Args args = {
        "extract",
        "--input",
        input,
        "--output",
        book,
        "--format",
        "xlsx",
        "--records",
        "1:1",
        "--layout",
        "A=" + dir.write("a.tab", "Key       2    2    3    \r\nN         4    2    5    int\r\n"),
        "--layout",
        "B=" + dir.write("b.tab", "M         2    2    3    \r\n"),
        "--carry",
        "A:Key",
        "--sorted",
        "--trim",
        "--overwrite",
        "--strict"};
    ASSERT_EQ(0, run_batch_in_process(args).status);
    const std::vector<std::string> sheets = {
        "sheet A frozen=A2", "A1 s bold Key", "B1 s bold N", "A2 s k1", "B2 n 7", "A3 s k2", "B3 n 5",
        "sheet B frozen=A2", "A1 s bold Key", "B1 s bold M", "A2 s k2", "B2 s x1"};
    // The sheets' names and cells; their widths are the workbook's business.
    auto read = [&] {
        std::vector<std::string> lines = cells(book);
        for (std::string& line : lines)
            if (line.starts_with("sheet ")) line.erase(line.find(" widths="));
        return lines;
    };
    EXPECT_EQ(sheets, read());
    dir.write("in.dat", "Ak2 5\nAk1 x\n");
    EXPECT_EQ(1, run_batch_in_process(args).status);
    EXPECT_EQ(sheets, read());
}

// The records of a dBase table, each without its deletion flag.
std::vector<std::string> dbf_records(const std::string& path) {
    const std::string bytes = read_file(path);
    auto word = [&](std::size_t at) {
        return static_cast<std::size_t>(static_cast<unsigned char>(bytes[at]) |
                                        static_cast<unsigned char>(bytes[at + 1]) << 8);
    };
    const std::size_t count = word(4), start = word(8), length = word(10);
    std::vector<std::string> records;
    for (std::size_t i = 0; i < count; ++i)
        records.push_back(bytes.substr(start + i * length + 1, length - 1));
    return records;
}

// The dBase export writes a table per type, the carried field first, and a failed run replaces none.
TEST(BatchRecordTypes, DbaseTablesPerTypeAreReplacedTogether) {
    TempDir dir;
    const std::string input = dir.write("in.dat", "Aa1B22Aa2B44");
    const Args args = {"dbf",
                       "--input",
                       input,
                       "--output",
                       dir.file("t-{type}.dbf"),
                       "--records",
                       "1:1",
                       "--record-length",
                       "3",
                       "--layout",
                       "A=" + dir.write("a.tab", "Key       2    2    3    \r\n"),
                       "--layout",
                       "B=" + dir.write("b.tab", "N         2    2    3    int\r\n"),
                       "--carry",
                       "A:Key",
                       "--overwrite"};
    ASSERT_EQ(0, run_batch_in_process(args).status);
    const std::vector<std::string> a = {"a1", "a2"}, b = {"a122", "a244"};  // N as wide as its values
    EXPECT_EQ(a, dbf_records(dir.file("t-A.dbf")));
    EXPECT_EQ(b, dbf_records(dir.file("t-B.dbf")));
    dir.write("in.dat", "Aa3B66Aa4B8");  // a short last record
    EXPECT_EQ(1, run_batch_in_process(args).status);
    EXPECT_EQ(a, dbf_records(dir.file("t-A.dbf")));
    EXPECT_EQ(b, dbf_records(dir.file("t-B.dbf")));
}

}  // namespace
}  // namespace qvr::test
