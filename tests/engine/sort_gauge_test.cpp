#include <gtest/gtest.h>

#include <algorithm>

#include "engine/standard_extract.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

// A sorted run moves the gauge through the ordering too, not only through the line loop.
TEST(SortGauge, ASortedRunMovesTheGaugeThroughItsSort) {
    const struct {
        bool sorted;
        int lines;
        int last_of_loop;  // where the line loop leaves the gauge
        int moves_after_loop;
    } cases[] = {
        {false, 200'000, 99, 0},
        {true, 200'000, 54, 40},
    };
    test::TempDir dir;
    std::string input;
    for (int i = 0; i < 200'000; ++i) input += std::to_string((i * 7919) % 200'000) + "\r\n";
    for (const auto& c : cases) {
        ExtractJob job;
        job.slices = {{1, 10}};
        job.names = {"n"};
        job.separator = ";";
        job.sorted = c.sorted;
        job.input_path = dir.write("in.txt", input);
        job.output_path = dir.file("out.txt");
        std::vector<int> gauge;
        ExtractHooks hooks;
        hooks.gauge = [&gauge](int position) { gauge.push_back(position); };
        RunTally tally;
        standard_extract(job, hooks, tally);
        EXPECT_TRUE(std::is_sorted(gauge.begin(), gauge.end())) << c.sorted;
        const auto loop_end = std::find(gauge.begin(), gauge.end(), c.last_of_loop);
        ASSERT_NE(gauge.end(), loop_end) << c.sorted;
        EXPECT_EQ(c.moves_after_loop, gauge.end() - loop_end - 1) << c.sorted;
    }
}

}  // namespace
}  // namespace qvr
