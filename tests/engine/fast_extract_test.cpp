#include "engine/fast_extract.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace qvr {
namespace {

using test::read_file;
using test::TempDir;

struct FastRun {
    std::string file;
    std::vector<std::string> view;
    std::vector<int> gauge;
    RunTally tally;
};

FastRun run_fast(const TempDir& dir, std::string_view input, ExtractJob job, RunTally tally = {}) {
    job.input_path = dir.write("in.txt", input);
    job.output_path = dir.file("out.txt");
    FastRun r;
    ExtractHooks hooks;
    hooks.gauge = [&](int position) { r.gauge.push_back(position); };
    hooks.view_line = [&](std::string_view line) { r.view.emplace_back(line); };
    fast_extract(job, hooks, tally);
    r.file = read_file(job.output_path);
    r.tally = tally;
    return r;
}

ExtractJob line_job() {
    ExtractJob job;
    job.slices = {{1, 20}};
    job.separator = ";";
    return job;
}

std::string numbered_lines(int count, const char* end = "\r\n") {
    std::string text;
    for (int i = 1; i <= count; ++i) text += "line " + std::to_string(i) + end;
    return text;
}

TEST(FastExtract, FileGetsEveryLineViewTheFirstHundred) {
    TempDir dir;
    FastRun r = run_fast(dir, numbered_lines(150), line_job());
    EXPECT_EQ(numbered_lines(150), r.file);
    EXPECT_EQ(150, r.tally.generated_line_count);
    ASSERT_EQ(100u, r.view.size());
    EXPECT_EQ("line 1", r.view.front());
    EXPECT_EQ("line 100", r.view.back());
}

TEST(FastExtract, LinesAndOptions) {
    struct Case {
        const char* what;
        std::function<void(ExtractJob&)> set;
        std::string input;
        std::string file;
        std::int64_t generated;
    };
    const Case cases[] = {
        {"sample", [](ExtractJob& j) { j.sample_size = 20; }, numbered_lines(50), numbered_lines(20), 20},
        {"Ctrl+Z ends the input", [](ExtractJob&) {},
         "a\r\nb\x1a"
         "c\r\nd\r\n",
         "a\r\nb\r\n", 2},
        {"never heads, sorts, drops or numbers",
         [](ExtractJob& j) {
             j.header = j.sorted = j.unique = j.numbers = true;
             j.names = {"Name"};
         },
         "b\r\na\r\nb\r\n", "b\r\na\r\nb\r\n", 3},
        {"filter and trim",
         [](ExtractJob& j) {
             j.trim = true;
             j.filter.lower = "b";
         },
         "  a \r\n b\r\n", "b\r\n", 1},
    };
    for (const Case& c : cases) {
        TempDir dir;
        ExtractJob job = line_job();
        c.set(job);
        FastRun r = run_fast(dir, c.input, job);
        EXPECT_EQ(c.file, r.file) << c.what;
        EXPECT_EQ(c.generated, r.tally.generated_line_count) << c.what;
    }
}

TEST(FastExtract, MeasuresTheInputOnlyWhenNothingIsKnown) {
    TempDir dir;
    std::string input = std::string(99998, 'x') + "\r\n";  // 100,000 bytes, one line
    FastRun r = run_fast(dir, input, line_job());
    EXPECT_EQ(100000, r.tally.input_size);
    EXPECT_EQ(500, r.tally.input_line_count);
    // The next run keeps what is known, whatever its file.
    r = run_fast(dir, "a\r\n", line_job(), r.tally);
    EXPECT_EQ(100000, r.tally.input_size);
    EXPECT_EQ(500, r.tally.input_line_count);
}

TEST(FastExtract, GaugeScalesByTheLineCount) {
    const struct {
        std::int64_t read;
        std::int64_t count;
        int position;
    } cases[] = {
        {5, 0, 15},      {1, 1000, 15},    {500, 1000, 57},
        {999, 1000, 98}, {2000, 1000, 99}, {INT64_MAX - 1, INT64_MAX, 98},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.position, fast_gauge_position(c.read, c.count)) << c.read << " of " << c.count;
    TempDir dir;
    // Counted as 1000 lines, a file of 2000 reaches 99 halfway and waits there.
    FastRun r = run_fast(dir, numbered_lines(2000), line_job(), RunTally{0, 1, 1000});
    EXPECT_EQ(99, r.gauge.back());
    EXPECT_EQ(85u, r.gauge.size());  // 15 to 99, each position once
    // An empty file never moves the gauge; a file of under 200 bytes holds it at 15.
    EXPECT_EQ(std::vector<int>{}, run_fast(dir, "", line_job()).gauge);
    EXPECT_EQ(std::vector<int>{15}, run_fast(dir, "a\r\nb\r\n", line_job()).gauge);
}

}  // namespace
}  // namespace qvr
