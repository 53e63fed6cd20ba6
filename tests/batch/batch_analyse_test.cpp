#include <gtest/gtest.h>

#include "batch_harness.h"
#include "support/temp_dir.h"

namespace qvr::test {
namespace {

// What it reports is the windows' own (the equivalence test); here its refusal.
TEST(BatchAnalyse, UnreadableInputFails) {
    TempDir dir;
    BatchOutcome r = run_batch_in_process({"analyse", "--input", dir.file("none.txt")});
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("", r.out);
    EXPECT_EQ("Cannot open file " + dir.file("none.txt") + ". No such file or directory.\n", r.err);
}

}  // namespace
}  // namespace qvr::test
