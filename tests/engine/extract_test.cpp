#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "common/file_error.h"
#include "engine/fast_extract.h"
#include "engine/memory_check.h"
#include "engine/standard_extract.h"
#include "common/stop_request.h"
#include "support/file_faults.h"
#include "support/memory_limit.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

using test::bytes;
using test::read_file;
using test::repeated;
using test::TempDir;
using testing::ThrowsMessage;

ExtractJob line_job(std::vector<FieldSlice> slices = {{1, 20}}) {
    ExtractJob job;
    job.slices = std::move(slices);
    job.names = {"Line"};
    job.separator = ";";
    return job;
}

struct RunResult {
    ExtractOutcome outcome = ExtractOutcome::generated;
    std::string file;
    RunTally tally;
    std::vector<int> gauge;
    std::vector<std::string> view;
};

ExtractOutcome extract(const ExtractJob& job, const ExtractHooks& hooks, RunTally& tally, bool fast) {
    if (!fast) return standard_extract(job, hooks, tally);
    fast_extract(job, hooks, tally);
    return ExtractOutcome::generated;
}

/// Runs `job` on `input` one way or the other; the tally starts at -1 lines so a run that never counts
/// shows it.
RunResult run(const TempDir& dir, std::string_view input, ExtractJob job, bool fast,
              RunTally tally = {-1, 0, 0}, std::optional<std::uint64_t> memory = {}) {
    job.input_path = dir.write("in.txt", input);
    job.output_path = dir.file("out.txt");
    RunResult r;
    test::MemoryLimit limit;
    limit.bytes = memory;
    ExtractHooks hooks(limit);
    hooks.gauge = [&](int position) { r.gauge.push_back(position); };
    hooks.view_line = [&](std::string_view line) { r.view.emplace_back(line); };
    r.outcome = extract(job, hooks, tally, fast);
    r.file = read_file(job.output_path);
    r.tally = tally;
    return r;
}

std::string numbered_lines(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i) text += "line " + std::to_string(i) + "\r\n";
    return text;
}

TEST(Extract, HeaderNumbersSampleAndFilterTogether) {
    const struct {
        const char* what;
        bool fast;
        std::function<void(ExtractJob&)> set;
        std::string input;
        std::string file;
        std::int64_t generated;
    } cases[] = {
        {"header, nothing passes", false, [](ExtractJob& j) { j.header = true, j.filter.contains = "zz"; },
         "a\r\nb\r\n", "Line\r\n", 0},
        {"numbers follow the sorted order", false, [](ExtractJob& j) { j.sorted = j.numbers = true; },
         "c\r\na\r\nb\r\nd\r\ne\r\nf\r\ng\r\nh\r\ni\r\nj\r\nk\r\n",
         "1;a\r\n2;b\r\n3;c\r\n4;d\r\n5;e\r\n6;f\r\n7;g\r\n8;h\r\n9;i\r\n10;j\r\n11;k\r\n", 11},
        {"numbers count the unique lines", false,
         [](ExtractJob& j) { j.unique = j.numbers = j.header = true; }, "x\r\nX\r\ny\r\n",
         "Nb;Line\r\n1;x\r\n2;y\r\n", 3},
        {"sample counts dropped duplicates", false, [](ExtractJob& j) { j.unique = true, j.sample_size = 3; },
         "x\r\nX\r\ny\r\nz\r\n", "x\r\ny\r\n", 3},
        {"negative sample is no limit", false, [](ExtractJob& j) { j.sample_size = -1; }, "a\r\nb\r\n",
         "a\r\nb\r\n", 2},
        {"upper bound sees the separator", false,
         [](ExtractJob& j) {
             j.slices = {{1, 1}, {2, 1}}, j.filter.upper = "C";
         },
         "Cx\r\nBz\r\nC\r\n", "B;z\r\n", 1},  // 'C;' is above 'C'
        {"fast sample", true, [](ExtractJob& j) { j.sample_size = 20; }, numbered_lines(50),
         numbered_lines(20), 20},
        {"fast never heads, sorts, drops or numbers", true,
         [](ExtractJob& j) { j.header = j.sorted = j.unique = j.numbers = true; }, "b\r\na\r\nb\r\n",
         "b\r\na\r\nb\r\n", 3},
        {"fast filter and trim", true, [](ExtractJob& j) { j.trim = true, j.filter.lower = "b"; },
         "  a \r\n b\r\n", "b\r\n", 1},
    };
    for (const auto& c : cases) {
        TempDir dir;
        ExtractJob job = line_job();
        c.set(job);
        RunResult r = run(dir, c.input, job, c.fast);
        EXPECT_EQ(ExtractOutcome::generated, r.outcome) << c.what;
        EXPECT_EQ(c.file, r.file) << c.what;
        EXPECT_EQ(c.generated, r.tally.generated_line_count) << c.what;
    }
}

// UTF-8 columns, quoting and the line end reach the file the same way in every kind of run.
TEST(Extract, Utf8QuotedFieldsAndLineEndsInEveryRun) {
    const std::string e = "\xc3\xa9", smile = "\xf0\x9f\x98\x80";
    const std::string input = "z" + e + "b;x\r\n" + e + "t\xff" + smile + "\n" + "ab\"cd\r";
    ExtractJob job = line_job({{1, 2}, {3, 3}});
    job.names = {"N;1", "N2"};
    job.encoding = TextEncoding::utf8;
    job.quote = true;
    job.line_end = "\n";
    // The fast run as it is; the standard one sorted, with the header and a filter on a UTF-8 text.
    const std::pair<bool, std::string> cases[] = {
        {true, "z" + e + ";\"b;x\"\n" + e + "t;\xff" + smile + "\nab;\"\"\"cd\"\n"},
        {false, "\"N;1\";N2\n" + e + "t;\xff" + smile + "\nz" + e + ";\"b;x\"\n"},
    };
    for (const auto& [fast, file] : cases) {
        TempDir dir;
        job.header = job.sorted = !fast;
        job.filter.contains = fast ? "" : e;
        EXPECT_EQ(file, run(dir, input, job, fast).file) << fast;
    }
}

TEST(Extract, FastFileGetsEveryLineViewTheFirstHundred) {
    TempDir dir;
    RunResult r = run(dir, numbered_lines(150), line_job(), true);
    EXPECT_EQ(numbered_lines(150), r.file);
    EXPECT_EQ(150, r.tally.generated_line_count);
    ASSERT_EQ(100u, r.view.size());
    EXPECT_EQ("line 1", r.view.front());
    EXPECT_EQ("line 100", r.view.back());
}

TEST(Extract, StandardGaugeMovesPerLineAndStopsWithTheSample) {
    TempDir dir;
    EXPECT_EQ((std::vector<int>{15, 36, 57, 78}), run(dir, "a\r\nb\r\nc\r\nd\r\n", line_job(), false).gauge);
    const std::string thousand = repeated("line\r\n", 1000);
    ExtractJob job = line_job();
    job.sample_size = 10;
    RunResult r = run(dir, thousand, job, false);
    EXPECT_EQ((std::vector<int>{15}), r.gauge);
    EXPECT_EQ(10, r.tally.generated_line_count);
    job.sample_size = 600;
    EXPECT_EQ(15 + 85 * 599 / 1000, run(dir, thousand, job, false).gauge.back());
}

TEST(Extract, FastGaugeScalesByTheLineCount) {
    const struct {
        std::int64_t read;
        std::int64_t count;
        int position;
    } cases[] = {{5, 0, 15},      {1, 1000, 15},    {500, 1000, 57},
                 {999, 1000, 98}, {2000, 1000, 99}, {INT64_MAX - 1, INT64_MAX, 98}};
    for (const auto& c : cases)
        EXPECT_EQ(c.position, fast_gauge_position(c.read, c.count)) << c.read << " of " << c.count;
    TempDir dir;
    // Counted as 1000 lines, a file of 2000 reaches 99 halfway and waits there, each position once.
    RunResult r = run(dir, numbered_lines(2000), line_job(), true, RunTally{0, 1, 1000});
    EXPECT_EQ(99, r.gauge.back());
    EXPECT_EQ(85u, r.gauge.size());
    // An empty file never moves the gauge; a file of under 200 bytes holds it at 15.
    EXPECT_EQ(std::vector<int>{}, run(dir, "", line_job(), true).gauge);
    EXPECT_EQ(std::vector<int>{15}, run(dir, "a\r\nb\r\n", line_job(), true).gauge);
}

TEST(Extract, FastMeasuresTheInputOnlyWhenNothingIsKnown) {
    TempDir dir;
    RunResult r = run(dir, std::string(99998, 'x') + "\r\n", line_job(), true, {});
    EXPECT_EQ(100000, r.tally.input_size);
    EXPECT_EQ(500, r.tally.input_line_count);
    // The next run keeps what is known, whatever its file.
    r = run(dir, "a\r\n", line_job(), true, r.tally);
    EXPECT_EQ(100000, r.tally.input_size);
    EXPECT_EQ(500, r.tally.input_line_count);
}

// Random lines with many equal keys (letter case, repeats): a memory cap forcing runs on disk, up to more
// than can be merged at once, gives the bytes of the run held in memory, and no temporary file stays.
TEST(ExternalSort, RunsOnDiskGiveTheBytesOfTheRunInMemory) {
    TempDir dir;
    std::string input;
    std::uint64_t seed = 12345;
    const char* const words[] = {"abc", "ABC", "Abc", "\xe9t\xe9", "ete", "ETE", "b", "", "x;1", "a b"};
    for (int i = 0; i < 3000; ++i) {
        seed = seed * 6364136223846793005u + 1442695040888963407u;
        input += std::string(words[(seed >> 33) % 10]) + words[(seed >> 45) % 10] + "\r\n";
    }
    for (int mode = 0; mode < 4; ++mode) {
        ExtractJob job = line_job();
        job.sorted = true;
        job.unique = mode & 1;
        job.numbers = job.header = mode & 2;
        const RunResult whole = run(dir, input, job, false);
        for (std::uint64_t cap : {1, 300, 5000}) {
            const RunResult runs = run(dir, input, job, false, {}, cap);
            EXPECT_EQ(whole.file, runs.file) << mode << " " << cap;
            EXPECT_EQ(whole.tally.generated_line_count, runs.tally.generated_line_count);
            EXPECT_EQ(99, runs.gauge.back()) << cap;  // through the merge
            EXPECT_EQ("in.txt out.txt", test::list_folder(dir.path()));
        }
    }
}

// A stop at the first, a middle or the next to last gauge step ends every kind of run: the standard extract
// leaves the former result and no temporary file, the fast one says its result is incomplete.
TEST(Extract, AStopEndsEveryKindOfRunAndKeepsTheFormerResult) {
    const struct {
        const char* what;
        bool sorted, fast;
        std::optional<std::uint64_t> memory;
    } kinds[] = {{"input order", false, false, {}},
                 {"sorted", true, false, {}},
                 {"sorted on disk", true, false, 4000},
                 {"fast", false, true, {}}};
    TempDir dir;
    const std::string input = numbered_lines(5000);
    for (const auto& k : kinds) {
        ExtractJob job = line_job();
        job.sorted = k.sorted;
        const std::size_t steps = run(dir, input, job, k.fast, {0, 1, 5000}, k.memory).gauge.size();
        for (std::size_t at : {std::size_t{1}, steps / 2, steps - 1}) {
            dir.write("out.txt", "former\r\n");
            job.input_path = dir.write("in.txt", input);
            job.output_path = dir.file("out.txt");
            test::MemoryLimit limit;
            limit.bytes = k.memory;
            ExtractHooks hooks(limit);
            StopRequest stop;
            std::size_t seen = 0;
            hooks.gauge = [&](int) {
                if (++seen == at) stop.request();
            };
            hooks.stop = &stop;
            RunTally tally{0, 1, 5000};
            const std::string expected = k.fast ? "Stopped at the user's request.\n\rThe result file " +
                                                      job.output_path + " is incomplete"
                                                : "Stopped at the user's request";
            EXPECT_THAT([&] { extract(job, hooks, tally, k.fast); }, ThrowsMessage<UserError>(expected))
                << k.what << " " << at;
            // The fast extract emptied the file it writes into; the standard one never touched it.
            EXPECT_EQ(!k.fast, read_file(job.output_path) == "former\r\n") << k.what << " " << at;
            EXPECT_EQ("in.txt out.txt", test::list_folder(dir.path())) << k.what << " " << at;
        }
    }
}

TEST(Extract, OldResultSurvivesAFailedStandardWrite) {
    TempDir dir;
    ExtractJob job = line_job({{1, 300000}});
    job.input_path =
        dir.write("in.txt", std::string(20000, 'x').append("\r\n").append(std::string(200000, 'y')));
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
    // Sorted runs on disk that cannot be written: the same, and none of them stays.
    job.sorted = true;
    test::MemoryLimit one_byte;
    one_byte.bytes = 1;
    {
        const test::FileSizeLimit limit(4096);
        EXPECT_THROW(standard_extract(job, ExtractHooks(one_byte), tally), FileError);
    }
    EXPECT_EQ("old result\r\n", read_file(job.output_path));
    EXPECT_EQ("in.txt out.txt", test::list_folder(dir.path()));
}

TEST(Extract, MemorySizesAsTheFrontEndTakesThem) {
    const std::pair<const char*, std::optional<std::uint64_t>> cases[] = {{"512M", 512ull << 20},
                                                                          {"2g", 2ull << 30},
                                                                          {"64K", 65536},
                                                                          {"1000", 1000},
                                                                          {"1T", 1ull << 40},
                                                                          {"", {}},
                                                                          {"M", {}},
                                                                          {"5MB", {}},
                                                                          {"-1G", {}},
                                                                          {"99999999999999999999", {}},
                                                                          {"16777216T", {}}};
    for (const auto& [text, size] : cases) EXPECT_EQ(size, read_memory_size(text)) << text;
}

// Both ways write to a descriptor opened elsewhere (standard output), after what its owner wrote, and
// leave it open; no file of the name that stands for it is made.
TEST(Extract, BothWaysWriteToAnOpenDescriptorAndLeaveItOpen) {
    const std::pair<bool, std::string> ways[] = {{false, "before\r\nLine\r\nb\r\na\r\nafter"},
                                                 {true, "before\r\nb\r\na\r\nafter"}};
    for (const auto& [fast, written] : ways) {
        TempDir dir;
        ExtractJob job = line_job();
        job.input_path = dir.write("in.txt", "b\r\na\r\n");
        job.output_path = "standard output";
        job.header = true;
        const std::string sink = dir.file("sink.txt");
        job.output_fd = ::open(sink.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        EXPECT_EQ(8, ::write(job.output_fd, "before\r\n", 8));
        RunTally tally;
        extract(job, {}, tally, fast);
        EXPECT_EQ(5, ::write(job.output_fd, "after", 5));
        ::close(job.output_fd);
        EXPECT_EQ(written, read_file(sink));
        EXPECT_EQ(2, tally.generated_line_count);
        EXPECT_EQ("in.txt sink.txt", test::list_folder(dir.path()));
    }
}

// The standard extract reads whole-file lines (CR LF, CR, LF; NUL ends the text), the fast one line by
// line (CR ends a line; Ctrl+Z ends the file).
TEST(ExtractFaults, BinaryLineFeedOnlyAndHugeInputsGiveExactResults) {
    const struct {
        const char* what;
        std::string input;
        std::vector<FieldSlice> slices;
        std::string standard, fast;
        std::int64_t standard_lines, fast_lines;
    } cases[] = {
        {"every byte value, then a run of NUL",
         "x\r\n" + bytes(1, 255) + std::string(1000, '\0') + "after\r\n",
         {{1, 300}},
         "x\r\n" + bytes(1, 9) + "\r\n" + bytes(11, 12) + "\r\n" + bytes(14, 255) + "\r\n",
         "x\r\n" + bytes(1, 9) + "\r\n" + bytes(11, 12) + "\r\n" + bytes(14, 25) + "\r\n",
         4,
         4},
        {"only line feeds",
         std::string(100000, '\n'),
         {{1, 300}},
         repeated("\r\n", 100000),
         repeated("\r\n", 100000),
         100000,
         100000},
        {"a line of 100 MB",
         std::string(99'999'996, 'x') + "tail\r\nnext\r\n",
         {{1, 5}, {99'999'997, 10}},
         "xxxxx;tail\r\nnext;\r\n",
         "xxxxx;tail\r\nnext;\r\n",
         2,
         2},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const RunResult standard = run(dir, c.input, line_job(c.slices), false);
        EXPECT_EQ(c.standard, standard.file) << c.what;
        EXPECT_EQ(c.standard_lines, standard.tally.generated_line_count) << c.what;
        const RunResult fast = run(dir, c.input, line_job(c.slices), true);
        EXPECT_EQ(c.fast, fast.file) << c.what;
        EXPECT_EQ(c.fast_lines, fast.tally.generated_line_count) << c.what;
    }
}

}  // namespace
}  // namespace qvr
