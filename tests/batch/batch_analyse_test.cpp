#include <gtest/gtest.h>

#include "batch_harness.h"
#include "support/temp_dir.h"

namespace qvr::test {
namespace {

// The thresholds are the analysis' own; here its lines, one to a line of output.
TEST(BatchAnalyse, TheAnalysisLinesOnStandardOutput) {
    TempDir dir;
    BatchOutcome r =
        run_batch_in_process({"analyse", "--input", dir.write("in.txt", std::string(150'001, '\r'))});
    EXPECT_EQ(0, r.status);
    EXPECT_EQ(
        "Input file...\nSize (bytes): 150001\nLines: 150001\n"
        "For time saving, checking \"Fast extract\" recommended\n"
        "Line length: shortest 0 (150001 lines), longest 0 (150001 lines), most common 0 (150001 lines)\n",
        r.out);
    EXPECT_EQ("", r.err);
}

TEST(BatchAnalyse, UnreadableInputFails) {
    TempDir dir;
    BatchOutcome r = run_batch_in_process({"analyse", "--input", dir.file("none.txt")});
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("", r.out);
    EXPECT_EQ("Cannot open file " + dir.file("none.txt") + ". No such file or directory.\n", r.err);
}

}  // namespace
}  // namespace qvr::test
