#include "dbase/dbf_export.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "common/file_error.h"
#include "common/whole_number.h"
#include "dbase/dbf_read_back.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

using namespace std::string_literals;
using test::DbfReadBack;
using test::read_back_dbf;
using test::read_file;
using testing::ThrowsMessage;

struct Column {
    std::string name;
    std::string start;
    std::int32_t length;
};

class DbfExportTest : public ::testing::Test {
  protected:
    DbfExportJob job(const std::vector<Column>& columns, std::uint32_t record_count = 0) const {
        DbfExportJob j;
        j.input_path = dir.file("in.txt");
        j.target = dir.file("in.dbf");
        for (std::size_t i = 0; i < columns.size(); ++i)
            j.columns.push_back(
                {{dbf_field_name(columns[i].name, static_cast<int>(i) + 1), columns[i].length},
                 columns[i].start});
        j.record_count = record_count;
        return j;
    }

    /// Writes the table of `input` and returns the records written.
    std::uint64_t export_lines(DbfExportJob j, const std::string& input) {
        dir.write("in.txt", input);
        DbfExport table(std::move(j));
        return table.run([this](std::uint64_t lines) { progress.push_back(lines); });
    }

    std::string header(const DbfExportJob& j, std::uint32_t count) const {
        std::vector<DbfField> fields;
        for (const DbfColumn& c : j.columns) fields.push_back(c.field);
        return dbf_header(fields, count);
    }

    test::TempDir dir;
    std::vector<std::uint64_t> progress;
};

TEST_F(DbfExportTest, ShortLinesArePaddedAndTheCountIsWhatWasWritten) {
    DbfExportJob j = job({{"Code", "1", 3}, {"", "4", 2}, {"Rest", "6", 4}}, 1000);
    EXPECT_EQ(4u, export_lines(j, "ABCDEFGHIJK\r\nAB\r\n\r\nXYZ12"));
    EXPECT_EQ(header(j, 4) +
                  " ABCDEFGHI"
                  " AB       "
                  "          "
                  " XYZ12    "
                  "\x1A"s,
              read_file(j.target));
    const DbfReadBack expected{4,
                               {"CODE", "FIELD 2", "REST"},
                               {3, 2, 4},
                               {{"ABC", "DE", "FGHI"}, {"AB", "", ""}, {"", "", ""}, {"XYZ", "12", ""}}};
    EXPECT_EQ(expected, read_back_dbf(j.target));
    EXPECT_EQ((std::vector<std::uint64_t>{1, 2, 3, 4}), progress);
}

TEST_F(DbfExportTest, TrimComparesWithoutBlanksAndWritesWithThem) {
    DbfExportJob j = job({{"v", "1", 5}});
    j.trim = true;
    j.filter.lower = "A";
    EXPECT_EQ(1u, export_lines(j, "  AB \r\n  0  \r\n"));
    EXPECT_EQ(header(j, 1) + "   AB \x1A", read_file(j.target));
    EXPECT_EQ((DbfReadBack{1, {"V"}, {5}, {{"AB"}}}), read_back_dbf(j.target));

    j.trim = false;
    EXPECT_EQ(0u, export_lines(j, "  AB \r\n  0  \r\n"));
}

TEST_F(DbfExportTest, FilterLineHasNoSeparatorsAndRefusedLinesMoveTheGauge) {
    struct Case {
        LineFilter filter;
        std::uint64_t records;
    };
    const Case cases[] = {
        {{"BC", "", ""}, 1},
        {{"B;C", "", ""}, 0},
        {{"", "", "ABC"}, 0},  // "AB;CD" would be below it
        {{"", "ABCE", ""}, 1},
    };
    for (const Case& c : cases) {
        DbfExportJob j = job({{"a", "1", 2}, {"b", "3", 2}});
        j.filter = c.filter;
        progress.clear();
        EXPECT_EQ(c.records, export_lines(j, "ABCD\r\nxyzw\r\n")) << c.filter.contains << c.filter.lower;
        EXPECT_EQ((std::vector<std::uint64_t>{1, 2}), progress);
        EXPECT_EQ(static_cast<int>(c.records), read_back_dbf(j.target).records);
    }
}

TEST_F(DbfExportTest, BadStartPositionStopsAtTheFirstLineAndLeavesTheFormerFile) {
    dir.write("in.dbf", "former");
    DbfExportJob j = job({{"a", "1", 2}, {"b", "x1", 2}});
    EXPECT_THAT([&] { export_lines(j, "ABCD\r\n"); },
                ThrowsMessage<NotAWholeNumber>("'x1' is not a valid integer value"));
    EXPECT_EQ("former", read_file(j.target));
    EXPECT_EQ("in.dbf in.txt", test::list_folder(dir.path()));
    // Without a line no start position is read.
    EXPECT_EQ(0u, export_lines(j, ""));
}

TEST(DbfGauge, PositionFollowsTheLinesRead) {
    struct Case {
        std::uint64_t lines, expected;
        int position;
    };
    const Case cases[] = {{0, 4, 15}, {1, 4, 36}, {2, 3, 71}, {5, 4, 99}, {1000000, 0, 15}, {1, 1000, 15}};
    for (const Case& c : cases) EXPECT_EQ(c.position, dbf_gauge_position(c.lines, c.expected)) << c.lines;
}

TEST_F(DbfExportTest, IntoAPipeTheHeaderCountComesFirstOrNothingIsSent) {
    int pipe_ends[2];
    ASSERT_EQ(0, ::pipe2(pipe_ends, O_NONBLOCK));
    const std::string target = dir.file("pipe.dbf");
    ASSERT_EQ(0, ::symlink(("/proc/self/fd/" + std::to_string(pipe_ends[1])).c_str(), target.c_str()));
    const std::string records = " ab\x1A";
    const struct {
        std::uint32_t announced;
        std::string error, sent;
    } cases[] = {
        {1, "", header(job({{"A", "1", 2}}), 1) + records},
        {0, "Cannot write file " + target + ". " + std::string(kUncountedIntoAPipe), ""},
        {3, "Cannot write file " + target + ". Its header announced 3 records, not the 1 written",
         ""},  // what is still in the buffer is not sent
    };
    for (const auto& c : cases) {
        DbfExportJob j = job({{"A", "1", 2}}, c.announced);
        j.target = target;
        std::string error;
        try {
            export_lines(j, "ab\r\n");
        } catch (const FileError& e) {
            error = e.what();
        }
        char buffer[4096];
        const ssize_t n = ::read(pipe_ends[0], buffer, sizeof buffer);
        EXPECT_EQ(c.error, error) << c.announced;
        EXPECT_EQ(c.sent, std::string(buffer, static_cast<std::size_t>(std::max<ssize_t>(n, 0))))
            << c.announced;
    }
    ::close(pipe_ends[0]);
    ::close(pipe_ends[1]);
}

}  // namespace
}  // namespace qvr
