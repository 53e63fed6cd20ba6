#include "input/cut_preview.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace qvr {
namespace {

// The window's tests show the cut itself; here, that the preview reads no more than its lines.
TEST(CutPreview, ReadsOnlyTheFirstLinesAndOnlyTheColumnsCut) {
    test::TempDir dir;
    FieldTable table;
    table.assign_rows({{"code", "1", "3", ""}, {"far", "30", "2", ""}});
    using Cells = std::vector<std::vector<std::string>>;
    EXPECT_EQ((Cells{{"x", ""}, {"y", ""}}),
              cut_preview(dir.write("in.txt", "x\r\ny\r\nz\r\n"), table, false, 2).rows);
    // A line without end is passed over past the columns cut, not held whole.
    EXPECT_EQ((Cells{{"xxx", "xx"}}),
              cut_preview(dir.write("one.txt", std::string(5'000'000, 'x')), table, false).rows);
}

}  // namespace
}  // namespace qvr
