#include <gtest/gtest.h>

#include "batch_harness.h"
#include "support/temp_dir.h"

namespace qvr::test {
namespace {

TEST(BatchAnalyse, ThreeOrFourLinesOnStandardOutput) {
    TempDir dir;
    std::string ten_lines;
    for (int i = 0; i < 10; ++i) ten_lines += std::string(80, 'x') + "\r\n";
    const std::pair<std::string, std::string> cases[] = {
        {ten_lines, "Input file...\nSize (bytes): 820\nLines: 10\n"},
        {std::string(150'001, '\r'),
         "Input file...\nSize (bytes): 150001\nLines: 150001\n"
         "For time saving, checking \"Fast extract\" recommended\n"},
    };
    for (const auto& [bytes, report] : cases) {
        BatchOutcome r = run_batch_in_process({"analyse", "--input", dir.write("in.txt", bytes)});
        EXPECT_EQ(0, r.status);
        EXPECT_EQ(report, r.out);
        EXPECT_EQ("", r.err);
    }
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
