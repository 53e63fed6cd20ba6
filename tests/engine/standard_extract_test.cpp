#include "engine/standard_extract.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/file_error.h"
#include "support/file_faults.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

using test::read_file;
using test::TempDir;
using testing::ThrowsMessage;

ExtractJob line_job() {
    ExtractJob job;
    job.slices = {{1, 20}};
    job.names = {"Line"};
    job.separator = ";";
    return job;
}

struct Outcome {
    ExtractOutcome outcome;
    std::string file;
    std::int64_t generated;
    std::vector<int> gauge;
};

Outcome run_standard(const TempDir& dir, std::string_view input, ExtractJob job,
                     std::function<std::uint64_t()> memory = {}) {
    job.input_path = dir.write("in.txt", input);
    job.output_path = dir.file("out.txt");
    Outcome o{};
    ExtractHooks hooks;
    hooks.gauge = [&](int position) { o.gauge.push_back(position); };
    hooks.available_memory = std::move(memory);
    RunTally tally;
    tally.generated_line_count = -1;
    o.outcome = standard_extract(job, hooks, tally);
    o.file = read_file(job.output_path);
    o.generated = tally.generated_line_count;
    return o;
}

struct Case {
    const char* what;
    std::function<void(ExtractJob&)> set;
    std::string input;
    std::string file;
    std::int64_t generated;
};

TEST(StandardExtract, HeaderNumbersSampleAndFilterTogether) {
    const Case cases[] = {
        {"header, nothing passes",
         [](ExtractJob& j) {
             j.header = true;
             j.filter.contains = "zz";
         },
         "a\r\nb\r\n", "Line\r\n", 0},
        {"numbers follow the sorted order", [](ExtractJob& j) { j.sorted = j.numbers = true; },
         "c\r\na\r\nb\r\nd\r\ne\r\nf\r\ng\r\nh\r\ni\r\nj\r\nk\r\n",
         "1;a\r\n2;b\r\n3;c\r\n4;d\r\n5;e\r\n6;f\r\n7;g\r\n8;h\r\n9;i\r\n10;j\r\n11;k\r\n", 11},
        {"numbers count the unique lines", [](ExtractJob& j) { j.unique = j.numbers = j.header = true; },
         "x\r\nX\r\ny\r\n", "Nb;Line\r\n1;x\r\n2;y\r\n", 3},
        {"sample counts dropped duplicates",
         [](ExtractJob& j) {
             j.unique = true;
             j.sample_size = 3;
         },
         "x\r\nX\r\ny\r\nz\r\n", "x\r\ny\r\n", 3},
        {"negative sample is no limit", [](ExtractJob& j) { j.sample_size = -1; }, "a\r\nb\r\n", "a\r\nb\r\n",
         2},
        {"upper bound sees the separator",
         [](ExtractJob& j) {
             j.slices = {{1, 1}, {2, 1}};
             j.filter.upper = "C";
         },
         "Cx\r\nBz\r\nC\r\n", "B;z\r\n", 1},  // 'C;' is above 'C'
    };
    for (const Case& c : cases) {
        TempDir dir;
        ExtractJob job = line_job();
        c.set(job);
        Outcome o = run_standard(dir, c.input, job);
        EXPECT_EQ(ExtractOutcome::generated, o.outcome) << c.what;
        EXPECT_EQ(c.file, o.file) << c.what;
        EXPECT_EQ(c.generated, o.generated) << c.what;
    }
}

TEST(StandardExtract, GaugeMovesPerLineAndStopsWithTheSample) {
    TempDir dir;
    EXPECT_EQ((std::vector<int>{15, 36, 57, 78}),
              run_standard(dir, "a\r\nb\r\nc\r\nd\r\n", line_job()).gauge);
    std::string thousand;
    for (int i = 0; i < 1000; ++i) thousand += "line\r\n";
    ExtractJob job = line_job();
    job.sample_size = 10;
    Outcome o = run_standard(dir, thousand, job);
    EXPECT_EQ((std::vector<int>{15}), o.gauge);
    EXPECT_EQ(10, o.generated);
    job.sample_size = 600;
    EXPECT_EQ(15 + 85 * 599 / 1000, run_standard(dir, thousand, job).gauge.back());
}

TEST(StandardExtract, TooLittleMemoryWritesNothing) {
    TempDir dir;
    dir.write("out.txt", "old result\r\n");
    Outcome o = run_standard(dir, "a\r\nb\r\n", line_job(), [] { return std::uint64_t{5}; });
    EXPECT_EQ(ExtractOutcome::out_of_memory, o.outcome);
    EXPECT_EQ("old result\r\n", o.file);
    EXPECT_EQ(-1, o.generated);  // the count of the last run stays
    EXPECT_EQ(std::vector<int>{}, o.gauge);
    // The edge: a sorted run holds the input, the result and their keys; in input order the lines go
    // straight to the file, so the 6-byte input and a quarter more are enough.
    const struct {
        bool sorted;
        std::uint64_t too_little, enough;
    } edges[] = {{false, 6, 7}, {true, 14, 15}};
    for (const auto& e : edges) {
        ExtractJob job = line_job();
        job.sorted = e.sorted;
        EXPECT_EQ(ExtractOutcome::out_of_memory,
                  run_standard(dir, "a\r\nb\r\n", job, [&] { return e.too_little; }).outcome);
        EXPECT_EQ(ExtractOutcome::generated,
                  run_standard(dir, "a\r\nb\r\n", job, [&] { return e.enough; }).outcome);
    }
}

TEST(StandardExtract, OldResultSurvivesAFailedWrite) {
    TempDir dir;
    ExtractJob job = line_job();
    job.input_path =
        dir.write("in.txt", std::string(20000, 'x').append("\r\n").append(std::string(200000, 'y')));
    job.slices = {{1, 300000}};
    job.output_path = dir.write("out.txt", "old result\r\n");
    RunTally tally;
    {
        const test::FileSizeLimit limit(4096);
        EXPECT_THAT([&] { standard_extract(job, {}, tally); },
                    ThrowsMessage<FileError>("Cannot write file " + job.output_path + ". File too large"));
    }
    EXPECT_EQ("old result\r\n", read_file(job.output_path));
    EXPECT_EQ("in.txt out.txt", test::list_folder(dir.path()));
    EXPECT_EQ(2, tally.generated_line_count);
}

}  // namespace
}  // namespace qvr
