#include "input/cut_preview.h"

#include <gtest/gtest.h>

#include "common/file_error.h"
#include "support/file_faults.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

using Cells = std::vector<std::vector<std::string>>;

TEST(CutPreview, TheFirstLinesCutIntoTheirFields) {
    test::TempDir dir;
    FieldTable table;
    table.assign_rows({{"code", "1", "3", ""}, {"name", "4", "6", ""}, {"far", "30", "2", ""}});
    const struct {
        std::string bytes;
        bool trim;
        std::size_t lines;
        Cells rows;
    } cases[] = {
        {"A1 Smith\r\nB2  Lee  \r\nC",
         false,
         200,
         {{"A1 ", "Smith", ""}, {"B2 ", " Lee  ", ""}, {"C", "", ""}}},
        {"A1 Smith\r\nB2  Lee  \r\nC", true, 200, {{"A1", "Smith", ""}, {"B2", "Lee", ""}, {"C", "", ""}}},
        {"x\r\ny\r\nz\r\n", false, 2, {{"x", "", ""}, {"y", "", ""}}},
        {"", false, 200, {}},
    };
    for (const auto& c : cases) {
        const CutPreview preview = cut_preview(dir.write("in.txt", c.bytes), table, c.trim, c.lines);
        EXPECT_EQ((std::vector<std::string>{"code", "name", "far"}), preview.names);
        EXPECT_EQ(c.rows, preview.rows) << c.bytes;
    }
    // Only the first lines count: the rest of a file without line end is passed over, not held.
    const CutPreview endless = cut_preview(dir.write("one.txt", std::string(5'000'000, 'x')), table, false);
    EXPECT_EQ((Cells{{"xxx", "xxxxxx", "xx"}}), endless.rows);
    EXPECT_THROW(cut_preview(dir.file("none.txt"), table, false), FileError);
}

}  // namespace
}  // namespace qvr
