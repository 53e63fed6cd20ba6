#include "outputs/output_formats.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "dbase/dbf_read_back.h"
#include "engine/standard_extract.h"
#include "support/temp_dir.h"

namespace qvr::test {
namespace {

// A table from a sorted run keeps the fields of each record apart: two records whose trimmed fields join
// into the same cut line stay two records, with their own fields.
TEST(OutputFormats, ASortedTableKeepsApartRecordsWhoseCutLinesAgree) {
    TempDir dir;
    ExtractJob job;
    job.input_path = dir.write("in.txt", "zz;z  \r\na;bc  \r\na  b;c\r\na;bc  \r\n");
    job.output_path = dir.file("out.txt");
    job.slices = {{1, 3}, {4, 3}};
    job.names = {"A", "B"};
    job.separator = ";";
    job.header = false;
    job.trim = job.sorted = job.unique = true;
    RunTally tally;
    ASSERT_EQ(ExtractOutcome::generated, standard_extract(job, ExtractHooks(), tally));
    EXPECT_EQ("a;b;c\r\nzz;;z\r\n", read_file(job.output_path));
    job.output_path = dir.file("out.dbf");
    job.output = output_format("dbf")->maker;
    ASSERT_EQ(ExtractOutcome::generated, standard_extract(job, ExtractHooks(), tally));
    std::vector<std::string> table = read_back_dbf(job.output_path);
    std::sort(table.begin() + 1, table.end());
    EXPECT_EQ((std::vector<std::string>{"3 A/3 B/3", "a;b|c", "a|b;c", "zz;|z"}), table);
}

// Number columns are as wide as the widest value read (its sign counted), which may be wider than its
// field: "1" of dec(5) is 0.00001.
TEST(OutputFormats, ATypedTableSizesItsNumberColumnsToTheValues) {
    TempDir dir;
    ExtractJob job;
    job.slices = {{1, 1}, {2, 8}, {10, 4}};
    job.names = {"A", "B", "C"};
    job.types = {parse_field_type("dec(5)"), parse_field_type("int"), {}};
    job.output = output_format("dbf")->maker;
    job.output_path = dir.file("out.dbf");
    job.input_path = dir.write("in.txt", "100000012abc\r\n2-0000003de  \r\n");
    RunTally tally;
    ASSERT_EQ(ExtractOutcome::generated, standard_extract(job, ExtractHooks(), tally));
    EXPECT_EQ((std::vector<std::string>{"2 A/7 B/3 C/4", "0.00001|12|abc", "0.00002|-3|de"}),
              read_back_dbf(job.output_path));
}

}  // namespace
}  // namespace qvr::test
