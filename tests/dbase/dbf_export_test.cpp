#include "dbase/dbf_export.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "common/file_error.h"
#include "common/stop_request.h"
#include "common/whole_number.h"
#include "dbase/dbf_job.h"
#include "dbase/dbf_limits.h"
#include "dbase/dbf_read_back.h"
#include "support/file_faults.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

using namespace std::string_literals;
using namespace test;

// Seven fields put the header past 255 bytes, and these the record too: both high bytes count. The date
// is a fixed one, so that repeated exports give the same bytes.
TEST(DbfLayout, SevenRowsNamesLengthsAndCount) {
    std::vector<DbfField> fields = {{dbf_field_name("Code", 1), 5},
                                    {dbf_field_name("", 2), 20},
                                    {dbf_field_name("customer_name", 3), 30}};
    for (int row = 4; row <= 7; ++row) fields.push_back({dbf_field_name("", row), 60});
    auto descriptor = [](std::string name, char length) {  // a field's 32 bytes
        name.resize(11, '\0');
        return name + "C\x09\0\xD1\x4E"s + length + "\0\0\0\x01"s + std::string(11, '\0');
    };
    std::string expected = "\x03\x02\x02\x0E\x60\xD2\xFE\x00\x01\x01\x28\x01"s + std::string(20, '\0') +
                           descriptor("CODE", 5) + descriptor("FIELD 2", 20) + descriptor("CUSTOMER_N", 30);
    for (const char* name : {"FIELD 4", "FIELD 5", "FIELD 6", "FIELD 7"}) expected += descriptor(name, 60);
    EXPECT_EQ(expected + "\r", dbf_header(fields, 16'700'000));
    const std::tuple<std::string, int, std::string> cases[] = {
        {"  name \t", 1, "NAME"},
        {"abcdefghijkl", 1, "ABCDEFGHIJ"},
        {"", 2, "FIELD 2"},
        {" \x01\x1f ", 12345, "FIELD 1234"},  // the generated name is cut at 10 too
        {"\xe9t\xe9", 1, "\xe9T\xe9"},        // only a to z change
        {"Nom;du_x", 1, "NOM;DU_X"},
    };
    for (const auto& [cell, row, name] : cases)
        EXPECT_EQ(name, dbf_field_name(cell, row)) << "'" << cell << "'";
}

TEST(DbfLimits, RecordCountLengthsAndTheirSum) {
    // records, lengths, refusal, the row refused, the lengths checked
    const std::tuple<std::int64_t, std::vector<std::string>, DbfRefusal, int, std::vector<std::int32_t>>
        cases[] = {
            {16'700'000, {"10"}, DbfRefusal::none, 0, {10}},
            {16'700'001, {"10"}, DbfRefusal::too_many_records, 0, {}},
            {16'700'001, {"x"}, DbfRefusal::too_many_records, 0, {}},  // the count is checked first
            {0, {"200", "54"}, DbfRefusal::none, 0, {200, 54}},
            {0, {"200", "55"}, DbfRefusal::fields_too_long, 0, {}},
            {0, {"5", "0", "5"}, DbfRefusal::length_below_one, 2, {}},
            {0, {"300", "-100"}, DbfRefusal::length_below_one, 2, {}},  // a negative one cannot make room
            {0, {"-1", "x"}, DbfRefusal::length_below_one, 1, {}},
            {0, {"2147483647", "2147483647"}, DbfRefusal::fields_too_long, 0, {}},
        };
    for (const auto& [records, lengths, refusal, row, checked] : cases) {
        const DbfLimits limits = check_dbf_limits(records, lengths);
        EXPECT_EQ(std::tuple(refusal, row, checked), std::tuple(limits.refusal, limits.row, limits.lengths))
            << records << " " << lengths[0];
    }
    for (const std::string text : {"abc", " 5", "+5", "2147483648"}) {
        const std::vector<std::string> lengths = {"5", text};
        EXPECT_THAT([&] { check_dbf_limits(0, lengths); },
                    testing::ThrowsMessage<NotAWholeNumber>("'" + text + "' is not a valid integer value"));
    }
}

class DbfExportTest : public ::testing::Test {
  protected:
    /// A table of in.txt into in.dbf; each column is a name and length, and a start position text.
    DbfExportJob job(std::vector<DbfColumn> columns, std::uint32_t record_count = 0) const {
        return {dir.file("in.txt"), dir.file("in.dbf"), std::move(columns), false, {}, record_count};
    }

    /// Writes the table of `input` and returns the records written.
    std::uint64_t export_lines(const DbfExportJob& j, const std::string& input) {
        dir.write("in.txt", input);
        progress.clear();
        return DbfExport(j).run([this](std::uint64_t lines) { progress.push_back(lines); });
    }

    /// The table's bytes after its header: the records and the end-of-file marker.
    std::string records(const DbfExportJob& j) const {
        return read_file(j.target).substr(32 * (j.columns.size() + 1) + 1);
    }

    test::TempDir dir;
    using Progress = std::vector<std::uint64_t>;
    Progress progress;
};

// Starts past the line or past 32 bits with their length give blank fields; one below 1 is column 1.
TEST_F(DbfExportTest, ShortLinesArePaddedAndAbsurdStartPositionsGiveBlankFields) {
    DbfExportJob j = job({{{"CODE", 3}, "1"}, {{"FIELD 2", 2}, "4"}, {{"REST", 4}, "6"}}, 1000);
    EXPECT_EQ(4u, export_lines(j, "ABCDEFGHIJK\r\nAB\r\n\r\nXYZ12"));
    EXPECT_EQ(" ABCDEFGHI AB                  XYZ12    \x1A", records(j));
    EXPECT_EQ((std::vector<std::string>{"4 CODE/3 FIELD 2/2 REST/4", "ABC|DE|FGHI", "AB||", "||", "XYZ|12|"}),
              read_back_dbf(j.target));
    EXPECT_EQ((Progress{1, 2, 3, 4}), progress);

    j = job({{{"A", 2}, "2147483647"}, {{"B", 3}, "-2147483648"}, {{"C", 1}, "0"}, {{"D", 6}, "2147483644"}});
    EXPECT_EQ(2u, export_lines(j, "ABCDEFGHIJK\r\nAB\r\n"));
    EXPECT_EQ("   ABCA         AB A      \x1A", records(j));
}

// The filter reads the fields joined without separator, trimmed as asked; the records are never trimmed.
// Refused lines move the gauge too.
TEST_F(DbfExportTest, FilterLineHasNoSeparatorsTrimComparesWithoutBlanksAndUtf8BecomesWindows1252) {
    const std::tuple<LineFilter, bool, std::string> cases[] = {
        // filter, trim, records
        {{"BC", "", ""}, false, " ABCD \x1A"},        {{"B;C", "", ""}, false, "\x1A"},
        {{"", "", "ABC"}, false, "   AB    0  \x1A"},  // "AB;CD" would be below it
        {{"", "ABCE", ""}, false, " xyzw \x1A"},      {{"", "A", ""}, true, " ABCD  xyzw    AB \x1A"},
        {{"", "A", ""}, false, " ABCD  xyzw \x1A"},
    };
    for (const auto& [filter, trim, expected] : cases) {
        DbfExportJob j = job({{{"A", 2}, "1"}, {{"B", 3}, "3"}});
        std::tie(j.filter, j.trim) = std::tie(filter, trim);
        const std::uint64_t written = export_lines(j, "ABCD\r\nxyzw\r\n  AB \r\n  0  \r\n");
        // The header's count is of the records written, not of the lines read.
        EXPECT_EQ(std::tuple(expected.size() / 6, expected, Progress{1, 2, 3, 4}, expected.size() / 6 + 1),
                  std::tuple(written, records(j), progress, read_back_dbf(j.target).size()))
            << filter.contains << filter.lower << trim;
    }
    // UTF-8 columns go into the table as Windows-1252: "é" and "€" have a byte there, "Ω" and "😀" become
    // "?" and are counted; a stray byte stays as it is. The filter reads the UTF-8 text.
    DbfExportJob j = job({{{"A", 3}, "1"}, {{"B", 2}, "4"}});
    j.encoding = TextEncoding::utf8;
    j.filter.contains = "\xc3\xa9";
    dir.write("in.txt", "\xc3\xa9\xe2\x82\xac\xce\xa9\xf0\x9f\x98\x80x\r\nno\r\n\xff\xc3\xa9\r\n");
    DbfExport table(j);
    EXPECT_EQ(2u, table.run({}));
    EXPECT_EQ(" \xe9\x80??x \xff\xe9   \x1A", records(j));
    EXPECT_EQ(2u, table.replaced_chars());
    EXPECT_EQ("in.dbf generated (2 characters replaced by \"?\")", dbf_done_text("in.dbf", 2));
}

// A bad start position stops at the first line; a stop at the first, a middle or the last line (the window
// checks after each) stops there too. Either leaves the former table and no temporary.
TEST_F(DbfExportTest, BadStartPositionOrAStopAtAnyLineLeavesTheFormerFile) {
    DbfExportJob j = job({{{"A", 2}, "1"}, {{"B", 2}, "x1"}});
    const auto former_kept = [&] { return test::list_folder(dir.path()) + " | " + read_file(j.target); };
    dir.write("in.dbf", "former");
    EXPECT_THAT([&] { export_lines(j, "ABCD\r\n"); },
                testing::ThrowsMessage<NotAWholeNumber>("'x1' is not a valid integer value"));
    EXPECT_EQ("in.dbf in.txt | former", former_kept());
    // Without a line no start position is read.
    EXPECT_EQ(0u, export_lines(j, ""));
    j = job({{{"A", 2}, "1"}});
    dir.write("in.txt", "AB\r\nCD\r\nEF\r\n");
    StopRequest stopped;
    stopped.request();
    for (std::uint64_t at : {1, 2, 3}) {
        dir.write("in.dbf", "former");
        const auto stop_at = [&](std::uint64_t lines) { check_stop(lines == at ? &stopped : nullptr); };
        EXPECT_THROW(DbfExport(j).run(stop_at), RunStopped);
        EXPECT_EQ("in.dbf in.txt | former", former_kept()) << at;
    }
}

TEST_F(DbfExportTest, IntoAPipeTheHeaderCountComesFirstOrNothingIsSent) {
    int pipe_ends[2];
    ASSERT_EQ(0, ::pipe2(pipe_ends, O_NONBLOCK));
    const std::string target =
        make_link(dir.file("pipe.dbf"), ("/proc/self/fd/" + std::to_string(pipe_ends[1])).c_str());
    const std::tuple<std::uint32_t, std::string, std::string> cases[] = {
        // announced, error, sent
        {1, "", dbf_header({{"A", 2}}, 1) + " ab\x1A"},
        {0, "Cannot write file " + target + ". " + std::string(kUncountedIntoAPipe), ""},
        // What is still in the buffer is not sent.
        {3, "Cannot write file " + target + ". Its header announced 3 records, not the 1 written", ""},
    };
    for (const auto& [announced, error, sent] : cases) {
        DbfExportJob j = job({{{"A", 2}, "1"}}, announced);
        j.target = target;
        std::string got;
        try {
            export_lines(j, "ab\r\n");
        } catch (const FileError& e) {
            got = e.what();
        }
        char buffer[4096];
        const ssize_t n = ::read(pipe_ends[0], buffer, sizeof buffer);
        EXPECT_EQ(error, got) << announced;
        EXPECT_EQ(sent, std::string(buffer, static_cast<std::size_t>(std::max<ssize_t>(n, 0)))) << announced;
    }
    ::close(pipe_ends[0]);
    ::close(pipe_ends[1]);
}

// CR, LF and CR LF end a line, Ctrl+Z (26) the input; NUL is a byte of a line.
TEST_F(DbfExportTest, BinaryLineEndOnlyAndHugeInputsGiveExactRecords) {
    const std::pair<std::string, std::string> cases[] = {
        // input, records
        {"x\r\n" + bytes(1, 255) + std::string(1000, '\0'),
         " x                   " + (" " + bytes(1, 9) + std::string(11, ' ')) +
             (" " + bytes(11, 12) + std::string(18, ' ')) + (" " + bytes(14, 25) + "        ") + "\x1a"},
        {std::string(30, '\0') + "\r\n", " " + std::string(20, '\0') + "\x1a"},
        {std::string("one\r\nt\0wo\r\nthree\r\nfour\r\nfive\r\n", 30),
         " one                  t" + std::string(1, '\0') + "wo                 three               " +
             " four                 five                \x1a"},
        {std::string(100000, '\n'), test::repeated(std::string(21, ' '), 100000) + "\x1a"},
    };
    const DbfExportJob j = job({{{"F", 20}, "1"}});
    for (const auto& [input, expected] : cases) {
        export_lines(j, input);
        EXPECT_EQ(expected, records(j)) << input.substr(0, 5);
    }
    // One line of 100 MB is held only as far as the table's columns.
    test::make_sparse_file(dir.file("in.txt"), 100'000'000, "0001Alice", "tail\r\nnext\r\n");
    const DbfExportJob nine = job({{{"F", 9}, "1"}});
    test::reset_peak_memory();
    const std::int64_t memory_before = test::peak_memory();
    DbfExport(nine).run({});
    EXPECT_EQ(" 0001Alice next     \x1a", records(nine));
    EXPECT_GT(32 << 20, test::peak_memory() - memory_before);
}

}  // namespace
}  // namespace qvr
