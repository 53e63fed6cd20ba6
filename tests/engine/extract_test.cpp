#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "common/stop_request.h"
#include "engine/fast_extract.h"
#include "engine/memory_check.h"
#include "engine/propose_encoding.h"
#include "engine/run_files.h"
#include "engine/standard_extract.h"
#include "support/file_faults.h"
#include "support/memory_limit.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

using namespace test;

ExtractJob line_job(std::vector<FieldSlice> slices = {{1, 20}}) {
    ExtractJob job;
    job.slices = std::move(slices);
    job.names = {"Line"};
    job.separator = ";";
    return job;
}

/// What a run left: what ended it ("" when it wrote its result), the file, the tally, gauge and view.
struct Ran {
    std::string error, file;
    RunTally tally;
    std::vector<int> gauge;
    std::vector<std::string> view;
};

/// Runs `job` one way or the other on `input` (unless the job names its input) into out.txt (unless it
/// names its output), in `memory` bytes when set, asked to stop at gauge step `stop_at` when set. The tally
/// starts at -1 lines so a run that never counts shows it.
Ran run(const TempDir& dir, std::string_view input, ExtractJob job, bool fast, RunTally tally = {-1, 0, 0},
        std::optional<std::uint64_t> memory = {}, std::size_t stop_at = 0,
        std::optional<FastSharing> sharing = {}) {
    if (job.input_path.empty()) job.input_path = dir.write("in.txt", input);
    if (job.output_path.empty()) job.output_path = dir.file("out.txt");
    Ran r{"", "", tally, {}, {}};
    MemoryLimit limit;
    limit.bytes = memory;
    ExtractHooks hooks(limit);
    StopRequest stop;
    hooks.stop = &stop;
    hooks.gauge = [&](int position) {
        r.gauge.push_back(position);
        if (r.gauge.size() == stop_at) stop.request();
    };
    hooks.view_line = [&](std::string_view line) { r.view.emplace_back(line); };
    try {
        if (sharing)
            fast_extract(job, hooks, r.tally, *sharing);
        else if (fast)
            fast_extract(job, hooks, r.tally);
        else if (standard_extract(job, hooks, r.tally) != ExtractOutcome::generated)
            r.error = "out of memory";
    } catch (const UserError& e) {
        r.error = e.what();
    }
    r.file = read_file(job.output_path);
    return r;
}

std::string numbered_lines(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i) text += "line " + std::to_string(i) + "\r\n";
    return text;
}

// Lines "0015", "0025", ..., every seventh "007x", a whole number its type cannot read.
std::string typed_lines() {
    std::string text;
    for (int i = 1; i <= 300; ++i)
        text += (i < 10 ? "00" : i < 100 ? "0" : "") + std::to_string(i) + (i % 7 ? "5\r\n" : "x\r\n");
    return text;
}

void typed_int(ExtractJob& j) {
    j.slices = {{1, 4}};
    j.types = {parse_field_type("int")};
}

// UTF-8 columns, quoting and the line end reach the file the same way in every kind of run.
void utf8_quoted(ExtractJob& j) {
    j.slices = {{1, 2}, {3, 3}};
    j.names = {"N;1", "N2"};
    j.encoding = TextEncoding::utf8;
    j.quote = true;
    j.line_end = "\n";
}
const std::string kStopped = "Stopped at the user's request";
// A byte 0 is a byte of its line in every kind of run, never the end of the input.
const std::string kNul("one\r\nt\0wo\r\nthree\r\nfour\r\nfive\r\n", 30);
const std::string kNulSorted("five\r\nfour\r\none\r\nthree\r\nt\0wo\r\n", 30);
const std::string kE = "\xc3\xa9", kSmile = "\xf0\x9f\x98\x80";

TEST(Extract, HeaderNumbersSampleAndFilterTogether) {
    const std::tuple<bool, void (*)(ExtractJob&), std::string, std::string, std::int64_t> cases[] = {
        {false, [](ExtractJob& j) { j.header = true, j.filter.contains = "zz"; }, "a\r\n", "Line\r\n", 0},
        {false, [](ExtractJob& j) { j.sorted = j.numbers = true; },
         "c\r\na\r\nb\r\nd\r\ne\r\nf\r\ng\r\nh\r\ni\r\nj\r\nk\r\n",
         "1;a\r\n2;b\r\n3;c\r\n4;d\r\n5;e\r\n6;f\r\n7;g\r\n8;h\r\n9;i\r\n10;j\r\n11;k\r\n", 11},
        // Numbers count the unique lines; the sample counts the dropped duplicates; below 0 is no limit.
        {false, [](ExtractJob& j) { j.unique = j.numbers = j.header = true; }, "x\r\nX\r\ny\r\n",
         "Nb;Line\r\n1;x\r\n2;y\r\n", 3},
        {false, [](ExtractJob& j) { j.unique = true, j.sample_size = 3; }, "x\r\nX\r\ny\r\nz\r\n",
         "x\r\ny\r\n", 3},
        {false, [](ExtractJob& j) { j.sample_size = -1; }, "a\r\nb\r\n", "a\r\nb\r\n", 2},
        // The upper bound sees the separator: 'C;' is above 'C'.
        {false,
         [](ExtractJob& j) {
             j.slices = {{1, 1}, {2, 1}}, j.filter.upper = "C";
         },
         "Cx\r\nBz\r\nC\r\n", "B;z\r\n", 1},
        {true, [](ExtractJob& j) { j.sample_size = 20; }, numbered_lines(50), numbered_lines(20), 20},
        // The fast extract never heads, sorts, drops or numbers.
        {true, [](ExtractJob& j) { j.header = j.sorted = j.unique = j.numbers = true; }, "b\r\na\r\nb\r\n",
         "b\r\na\r\nb\r\n", 3},
        {true, [](ExtractJob& j) { j.trim = true, j.filter.lower = "b"; }, "  a \r\n b\r\n", "b\r\n", 1},
        {true, utf8_quoted, "z" + kE + "b;x\r\n" + kE + "t\xff" + kSmile + "\nab\"cd\r",
         "z" + kE + ";\"b;x\"\n" + kE + "t;\xff" + kSmile + "\nab;\"\"\"cd\"\n", 3},
        {false, [](ExtractJob& j) { utf8_quoted(j), j.header = j.sorted = true, j.filter.contains = kE; },
         "z" + kE + "b;x\r\n" + kE + "t\xff" + kSmile + "\nab\"cd\r",
         "\"N;1\";N2\n" + kE + "t;\xff" + kSmile + "\nz" + kE + ";\"b;x\"\n", 2},
        {false, [](ExtractJob&) {}, kNul, kNul, 5},
        {false, [](ExtractJob& j) { j.sorted = true; }, kNul, kNulSorted, 5},
        {false, [](ExtractJob& j) { j.unique = true; }, kNul, kNulSorted, 5},
        {true, [](ExtractJob&) {}, kNul, kNul, 5},
    };
    for (const auto& [fast, set, input, file, generated] : cases) {
        TempDir dir;
        ExtractJob job = line_job();
        set(job);
        const Ran r = run(dir, input, job, fast);
        EXPECT_EQ("", r.error) << file;
        EXPECT_EQ(file, r.file);
        EXPECT_EQ(generated, r.tally.generated_line_count) << file;
    }
}

// Standard: per line, through the sort, stopped by the sample; fast: scaled by the line count.
TEST(Extract, GaugeOfBothWaysAndTheViewsFirstHundred) {
    TempDir dir;
    ExtractJob job = line_job();
    EXPECT_EQ((std::vector<int>{15, 36, 57, 78}), run(dir, "a\r\nb\r\nc\r\nd\r\n", job, false).gauge);
    job.sample_size = 10;
    EXPECT_EQ(std::vector<int>{15}, run(dir, repeated("line\r\n", 1000), job, false).gauge);
    // A sorted run moves on through its sort: 39 steps after the line loop left the gauge at 54.
    std::string input;
    for (int i = 0; i < 200'000; ++i) input += std::to_string((i * 7919) % 200'000) + "\r\n";
    for (bool sorted : {false, true}) {
        job = line_job({{1, 10}});
        job.sorted = sorted;
        const std::vector<int> gauge = run(dir, input, job, false).gauge;
        EXPECT_TRUE(std::is_sorted(gauge.begin(), gauge.end())) << sorted;
        EXPECT_EQ(sorted ? 39 : 0, gauge.end() - std::find(gauge.begin(), gauge.end(), sorted ? 54 : 99) - 1);
    }
    const std::tuple<std::int64_t, std::int64_t, int> cases[] = {
        {5, 0, 15},      {1, 1000, 15},    {500, 1000, 57},
        {999, 1000, 98}, {2000, 1000, 99}, {INT64_MAX - 1, INT64_MAX, 98}};
    for (const auto& [read, count, position] : cases)
        EXPECT_EQ(position, fast_gauge_position(read, count)) << read << " of " << count;
    // Counted as 1000 lines, a file of 2000 reaches 99 halfway and waits there, each position once.
    const Ran r = run(dir, numbered_lines(2000), line_job(), true, RunTally{0, 1, 1000});
    EXPECT_EQ(99, r.gauge.back());
    EXPECT_EQ(85u, r.gauge.size());
    ASSERT_EQ(100u, r.view.size());
    EXPECT_EQ("line 1 line 100", r.view.front() + " " + r.view.back());
    // An empty file never moves the gauge; a file of under 200 bytes holds it at 15.
    EXPECT_EQ(std::vector<int>{}, run(dir, "", line_job(), true).gauge);
    EXPECT_EQ(std::vector<int>{15}, run(dir, "a\r\nb\r\n", line_job(), true).gauge);
    // It measures the input only when nothing is known; the next run keeps that, whatever its file.
    const RunTally measured = run(dir, std::string(99998, 'x') + "\r\n", line_job(), true, {}).tally;
    for (const RunTally& t : {measured, run(dir, "a\r\n", line_job(), true, measured).tally})
        EXPECT_EQ((std::pair<std::int64_t, std::int64_t>(100000, 500)),
                  std::pair(t.input_size, t.input_line_count));
}

// Random lines with many equal keys (letter case, repeats): a memory cap forcing runs on disk, up to more
// than can be merged at once, or than descriptors are left (hundreds of runs), gives the bytes of the run
// held in memory, and no temporary file stays. With no descriptor to spare, the folder is named.
TEST(ExternalSort, RunsOnDiskGiveTheBytesOfTheRunInMemory) {
    TempDir dir;
    std::string input;
    std::mt19937 random(12345);
    const char* const words[] = {"abc", "ABC", "Abc", "\xe9t\xe9", "ete", "ETE", "b", "", "x;1", "a b"};
    for (int i = 0; i < 3000; ++i) input += std::string(words[random() % 10]) + words[random() % 10] + "\r\n";
    for (int mode = 0; mode < 4; ++mode) {
        ExtractJob job = line_job();
        job.sorted = true;
        job.unique = mode & 1;
        job.numbers = job.header = mode & 2;
        const Ran whole = run(dir, input, job, false);
        for (std::uint64_t cap : {1, 300, 5000}) {
            const Ran runs = run(dir, input, job, false, {}, cap);
            EXPECT_EQ(whole.file, runs.file) << mode << " " << cap;
            EXPECT_EQ(whole.tally.generated_line_count, runs.tally.generated_line_count);
            EXPECT_EQ(99, runs.gauge.back()) << cap;  // through the merge
            EXPECT_EQ("in.txt out.txt", list_folder(dir.path()));
        }
        const std::pair<rlim_t, std::string> descriptors[] = {
            {24, whole.file},  // a few beyond what a run leaves to the rest of the job
            {2, "Cannot create file " + dir.path() + " (a sorted run's temporary file). Too many open files"},
        };
        for (const auto& [more, outcome] : descriptors) {
            const Ran runs = [&, more = more] {
                const DescriptorLimit limit(more);
                return run(dir, input, job, false, {}, 300);
            }();
            EXPECT_EQ(outcome, runs.error.empty() ? runs.file : runs.error) << mode << " " << more;
            EXPECT_EQ("in.txt out.txt", list_folder(dir.path()));
        }
    }
}

// Lines sharing a long start are told apart by their whole keys: those keys, and the buffers of the runs
// on disk (a dozen of them in 4 MB), stay within the memory a sorted run is given.
TEST(ExternalSort, LinesSharingALongStartKeepTheRunInItsMemory) {
    TempDir dir;
    std::string input;
    std::mt19937 random(5);
    const std::string start = repeated("EVERY LINE STARTS SO ", 11);
    for (int i = 0; i < 100'000; ++i) {
        input += start;
        for (int k = 0; k < 20; ++k) input += static_cast<char>('a' + random() % 26);
        input += "\r\n";
    }
    ExtractJob job = line_job({{1, 300}});
    job.sorted = true;
    job.input_path = dir.write("in.txt", input);
    job.output_path = dir.file("out.txt");
    std::string().swap(input);
    for (const std::int64_t memory : {16 << 20, 4 << 20}) {
        MemoryLimit limit;
        limit.bytes = memory;
        RunTally tally;
        reset_peak_memory();
        [[maybe_unused]] const std::int64_t before = peak_memory();
        EXPECT_EQ(ExtractOutcome::generated, standard_extract(job, ExtractHooks(limit), tally));
#if !defined(__SANITIZE_ADDRESS__)  // its quarantine keeps freed memory resident: the peak says nothing there
        EXPECT_GT(memory, peak_memory() - before);
#endif
        EXPECT_EQ(100'000, tally.generated_line_count);
    }
}

// Unique drops a line only when it equals a kept one but for letter case: a superscript, a control byte or a
// full-width letter keeps a line apart though the collation passes over it. In memory and on disk alike;
// the sorted order without unique is the collation's, ties in reverse pass order.
TEST(Extract, UniqueDropsOnlyLinesEqualButForLetterCase) {
    const std::string input =
        "A2\r\nA\xc2\xb2\r\nAB\r\nA\x01"
        "B\r\n\xef\xbc\xa1"
        "B\r\nabc\r\nABC\r\nAbc\r\n";
    const std::string unique =
        "A2\r\nA\xc2\xb2\r\nA\x01"
        "B\r\nAB\r\n\xef\xbc\xa1"
        "B\r\nabc\r\n";
    const std::string sorted =
        "A\xc2\xb2\r\nA2\r\n\xef\xbc\xa1"
        "B\r\nA\x01"
        "B\r\nAB\r\nAbc\r\nABC\r\nabc\r\n";
    TempDir dir;
    for (const std::optional<std::uint64_t> memory :
         {std::optional<std::uint64_t>{}, std::optional<std::uint64_t>(1)})
        for (const bool drop : {true, false}) {
            ExtractJob job = line_job();
            job.encoding = TextEncoding::utf8;
            job.sorted = true;
            job.unique = drop;
            const Ran r = run(dir, input, job, false, {}, memory);
            EXPECT_EQ(drop ? unique : sorted, r.file) << drop << memory.has_value();
        }
}

// An input cut short while a standard run reads it (at its first gauge step in the loop) fails the run, in
// input order, sorted, and sorted on disk: the former result stays, no temporary file.
TEST(Extract, AnInputCutShortDuringTheRunFailsItAndTheFormerResultStays) {
    TempDir dir;
    for (const bool sorted : {false, true})
        for (const std::optional<std::uint64_t> memory :
             {std::optional<std::uint64_t>{}, std::optional<std::uint64_t>(100'000)}) {
            ExtractJob job = line_job();
            job.sorted = sorted;
            job.input_path = dir.write("in.txt", numbered_lines(400'000));
            job.output_path = dir.write("out.txt", "former\r\n");
            MemoryLimit limit;
            limit.bytes = memory;
            ExtractHooks hooks(limit);
            int steps = 0;
            hooks.gauge = [&](int) {
                // The second step is the loop's first.
                if (++steps == 2) {
                    EXPECT_EQ(0, ::truncate(job.input_path.c_str(), 2'000'000));
                }
            };
            RunTally tally;
            EXPECT_THAT([&] { standard_extract(job, hooks, tally); },
                        testing::ThrowsMessage<FileError>("Cannot read file " + job.input_path +
                                                          ". It became shorter while it was read"))
                << sorted << memory.has_value();
            EXPECT_EQ("former\r\n", read_file(job.output_path));
            EXPECT_EQ("in.txt out.txt", list_folder(dir.path()));
        }
}

// A stop at the first, a middle or the next to last gauge step ends every kind of run: the standard extract
// leaves the former result and no temporary file, the fast one says its result is incomplete.
TEST(Extract, AStopOrAFullDiskEndsARunAndTheFormerResultStays) {
    const std::tuple<const char*, bool, bool, std::optional<std::uint64_t>> kinds[] = {
        {"input order", false, false, {}},
        {"sorted", true, false, {}},
        {"sorted on disk", true, false, 4000},
        {"fast", false, true, {}}};
    TempDir dir;
    const std::string incomplete = ".\n\rThe result file " + dir.file("out.txt") + " is incomplete";
    for (const auto& [what, sorted, fast, memory] : kinds) {
        ExtractJob job = line_job();
        job.sorted = sorted;
        const std::size_t steps =
            run(dir, numbered_lines(5000), job, fast, {0, 1, 5000}, memory).gauge.size();
        for (std::size_t at : {std::size_t{1}, steps / 2, steps - 1}) {
            dir.write("out.txt", "former\r\n");
            const Ran r = run(dir, numbered_lines(5000), job, fast, {0, 1, 5000}, memory, at);
            EXPECT_EQ(fast ? kStopped + incomplete : kStopped, r.error) << what << " " << at;
            // The fast extract emptied the file it writes into; the standard one never touched it.
            EXPECT_EQ(!fast, r.file == "former\r\n") << what << " " << at;
            EXPECT_EQ("in.txt out.txt", list_folder(dir.path())) << what << " " << at;
        }
    }
    // A disk that fills up: sorted in a byte of memory, the run fails writing its runs on disk, after the
    // first line; none stays.
    for (const auto& [sorted, name, lines] :
         {std::tuple(false, "out.txt", 2), std::tuple(true, " (a sorted run's temporary file)", 1)}) {
        ExtractJob job = line_job({{1, 300000}});
        job.sorted = sorted;
        job.input_path = dir.write("in.txt", std::string(20000, 'x') + "\r\n" + std::string(200000, 'y'));
        dir.write("out.txt", "old result\r\n");
        const Ran r = [&, sorted = sorted] {
            const FileSizeLimit limit(4096);
            return run(dir, "", job, false, {}, sorted ? std::optional<std::uint64_t>(1) : std::nullopt);
        }();
        EXPECT_EQ("Cannot write file " + dir.file(name) + ". File too large", r.error);
        EXPECT_EQ("old result\r\n", r.file);
        EXPECT_EQ("in.txt out.txt", list_folder(dir.path()));
        EXPECT_EQ(lines, r.tally.generated_line_count);
    }
}

// The fast extract shared between threads in blocks of a few bytes writes the bytes, views the lines and
// counts what the one-thread loop does, wherever a block edge falls: on a line end of any kind, before a
// Ctrl+Z, in a long line, at the last line of a sample, in UTF-8 after a byte order mark. A stop and a
// full disk still end it with an incomplete result.
TEST(FastExtract, SharedBetweenThreadsGivesTheOneThreadResult) {
    const std::string long_line = std::string(3000, 'L') + "end";
    const std::string ends = "a1\r\nb2\rc3\nd4\r\n\r\n\re5\n\n" + long_line + "\r\nf6";
    const std::pair<std::string, std::function<void(ExtractJob&)>> cases[] = {
        {ends, [](ExtractJob&) {}},
        {ends,
         [](ExtractJob& j) {
             j.slices = {{2, 3}, {2999, 10}};
         }},
        {ends + "\r\n\x1a" + "after\r\n", [](ExtractJob& j) { j.line_end = "\n"; }},
        {"\xEF\xBB\xBF\xC3\xA9t\xC3\xA9\r\n\xC3\xBC\xC3\xBC\xC3\xBCx\ry\xFF\n", utf8_quoted},
        {numbered_lines(300), [](ExtractJob& j) { j.filter.contains = "7"; }},
        {numbered_lines(300), [](ExtractJob& j) { j.filter.lower = "line 2"; }},
        {typed_lines(), typed_int},
        {typed_lines(),
         [](ExtractJob& j) {
             typed_int(j);
             j.filter.upper = "15";
         }},
    };
    TempDir dir;
    for (const auto& [input, set] : cases) {
        for (std::int64_t sample : {0, 1, 13, 99, 100, 101, 250, 400}) {
            ExtractJob job = line_job();
            set(job);
            job.sample_size = sample;
            const Ran alone = run(dir, input, job, true, {}, {}, 0, FastSharing{0, 1});
            for (const FastSharing sharing : {FastSharing{1, 1}, FastSharing{2, 9}, FastSharing{1, 64}}) {
                const Ran shared = run(dir, input, job, true, {}, {}, 0, sharing);
                const std::string what = input.substr(0, 8) + " sample " + std::to_string(sample) +
                                         " block " + std::to_string(sharing.block_bytes);
                EXPECT_EQ(alone.file, shared.file) << what;
                EXPECT_EQ(alone.view, shared.view) << what;
                EXPECT_EQ(alone.tally.generated_line_count, shared.tally.generated_line_count) << what;
                EXPECT_EQ(alone.tally.bad_values.report({"N"}), shared.tally.bad_values.report({"N"}))
                    << what;
                EXPECT_EQ(alone.gauge.back(), shared.gauge.back()) << what;
                // A sample's tally covers what was read: on one thread whole blocks, shared the chunks
                // passed.
                if (sample == 0) {
                    EXPECT_EQ(alone.tally.input_text.invalid_bytes(), shared.tally.input_text.invalid_bytes())
                        << what;
                }
                EXPECT_EQ("", shared.error) << what;
            }
        }
    }
    // Bad values counted at the input's line numbers, only in lines written, the same in the standard run.
    ExtractJob typed = line_job();
    typed_int(typed);
    typed.sample_size = 100;
    const std::string expected = "N: 14 values could not be read (the first at lines 7, 14, 21, 28, 35).\n";
    EXPECT_EQ(
        expected,
        run(dir, typed_lines(), typed, true, {}, {}, 0, FastSharing{1, 9}).tally.bad_values.report({"N"}));
    EXPECT_EQ(expected, run(dir, typed_lines(), typed, false).tally.bad_values.report({"N"}));
    const std::string incomplete = ".\n\rThe result file " + dir.file("out.txt") + " is incomplete";
    const FastSharing sharing{1, 64};
    const Ran stopped = run(dir, numbered_lines(5000), line_job(), true, {0, 1, 5000}, {}, 3, sharing);
    EXPECT_EQ(kStopped + incomplete, stopped.error);
    const FileSizeLimit limit(4096);
    const Ran full = run(dir, numbered_lines(5000), line_job(), true, {}, {}, 0, sharing);
    EXPECT_EQ("Cannot write file " + dir.file("out.txt") + ". File too large" + incomplete, full.error);
    EXPECT_EQ(numbered_lines(5000).substr(0, 4096), full.file.substr(0, 4096));
}

// The standard extract reads whole-file lines (CR LF, CR, LF), the fast one line by line (CR ends a line;
// Ctrl+Z ends the file); NUL is a byte of its line for both.
TEST(ExtractFaults, BinaryLineFeedOnlyAndHugeInputsGiveExactResults) {
    using Slices = std::vector<FieldSlice>;
    const std::string x = "x\r\n" + bytes(1, 9) + "\r\n" + bytes(11, 12) + "\r\n";  // LF and CR end lines
    const std::tuple<std::string, Slices, std::string, std::string, std::int64_t> cases[] = {
        {"x\r\n" + bytes(1, 255) + std::string(1000, '\0') + "after\r\n", Slices{{1, 300}},
         x + bytes(14, 255) + std::string(58, '\0') + "\r\n", x + bytes(14, 25) + "\r\n", 4},
        {std::string(100000, '\n'), Slices{{1, 300}}, repeated("\r\n", 100000), repeated("\r\n", 100000),
         100000},
        {std::string(99'999'996, 'x') + "tail\r\nnext\r\n", Slices{{1, 5}, {99'999'997, 10}},
         "xxxxx;tail\r\nnext;\r\n", "xxxxx;tail\r\nnext;\r\n", 2},
    };
    for (const auto& [input, slices, standard, fast, lines] : cases) {
        TempDir dir;
        for (bool in_fast : {false, true}) {
            const Ran r = run(dir, input, line_job(slices), in_fast);
            EXPECT_EQ(in_fast ? fast : standard, r.file) << lines << in_fast;
            EXPECT_EQ(lines, r.tally.generated_line_count) << in_fast;
        }
    }
}

// A missing input, the input twice and a former result are refused in File > Go's and the front end's tests;
// here, other spellings of the input.
TEST(RunFiles, RefusesInOrderAndKnowsOneFileUnderTwoSpellings) {
    TempDir dir;
    const std::string input = dir.write("in.txt", "x\r\n");
    ::mkdir(dir.file("sub").c_str(), 0777);
    ASSERT_EQ(0, ::symlink(input.c_str(), dir.file("link.txt").c_str()));
    const std::tuple<std::string, std::string, RunFiles> cases[] = {
        {input, std::filesystem::relative(input).string(), RunFiles::same_file},
        {input, dir.file("link.txt"), RunFiles::same_file},
        {input, dir.file("sub/../in.txt"), RunFiles::same_file},
        {input, dir.file("new.txt"), RunFiles::ready},
        {input, "", RunFiles::ready},  // the empty output fails when the result is written
    };
    for (const auto& [in, out, expected] : cases)
        EXPECT_EQ(static_cast<int>(expected), static_cast<int>(check_run_files(in, out)))
            << in << " -> " << out;
}

TEST(MemoryCheck, ReadsMemAvailableAndMemorySizes) {
    const std::pair<const char*, std::uint64_t> sizes[] = {
        {"512M", 512ull << 20}, {"2g", 2ull << 30}, {"64K", 65536}, {"1000", 1000}, {"1T", 1ull << 40}};
    for (const auto& [text, size] : sizes) EXPECT_EQ(size, read_memory_size(text)) << text;
    for (const char* text : {"", "M", "5MB", "-1G", "99999999999999999999", "16777216T"})
        EXPECT_EQ(std::nullopt, read_memory_size(text)) << text;
    EXPECT_EQ(2048u * 1024u,
              mem_available_of("MemTotal:  9999 kB\nMemFree: 1 kB\nMemAvailable:    2048 kB\n"));
    EXPECT_EQ(UINT64_MAX, mem_available_of("MemTotal: 9999 kB\n"));
    EXPECT_EQ(UINT64_MAX, mem_available_of("MemAvailable: lots\n"));
    EXPECT_GT(available_memory(), 0u);
}

// Cut short at the end, a surrogate, a character across two blocks of the reading, a late stray byte; a
// byte order mark; one invalid byte for a thousand characters, or one too many; characters only past
// the sample's head and tail, or in its tail.
TEST(ProposeEncoding, Utf8ForTextBeyondAsciiWithRareInvalidBytesInItsSample) {
    const std::string a(70'000, 'a');
    std::string accents;
    for (int i = 0; i < 999; ++i) accents += "caf\xC3\xA9\n";
    const std::string middle = std::string(kProposalHeadBytes, 'a') + "\xC3\xA9" + a;
    const std::pair<std::string, bool> cases[] = {
        {"\xEF\xBB\xBFplain", true},
        {accents + "\xFF\xC3\xA9", true},
        {accents + "\xFF", false},
        {middle, false},
        {middle + "\xC3\xA9", true},
        {"plain\r\n", false},
        {"\xf0\x9f\x98\x80\xe2\x82\xac", true},
        {"\xc3\xa9\xc3", false},
        {"\xed\xa0\x80", false},
        {a.substr(0, 65535) + "\xe2\x82\xac" + a, true},
        {a + "\xc3\xa9" + a + "\xe9", false},
    };
    TempDir dir;
    for (const auto& [bytes, utf8] : cases)
        EXPECT_EQ(utf8, propose_encoding(dir.write("in.txt", bytes)) == TextEncoding::utf8) << bytes.size();
    EXPECT_EQ(TextEncoding::cp1252, propose_encoding(dir.file("missing.txt")));
}

}  // namespace
}  // namespace qvr
