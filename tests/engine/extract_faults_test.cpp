#include <gtest/gtest.h>

#include <string>

#include "engine/fast_extract.h"
#include "engine/standard_extract.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

using test::read_file;
using test::TempDir;

struct RunResult {
    std::string file;
    RunTally tally;
};

ExtractJob job_on(const TempDir& dir, const std::string& input, std::vector<FieldSlice> slices) {
    ExtractJob job;
    job.input_path = input;
    job.output_path = dir.file("out.txt");
    job.slices = std::move(slices);
    job.separator = ";";
    return job;
}

RunResult run(const ExtractJob& job, bool fast) {
    RunResult r;
    if (fast) {
        fast_extract(job, {}, r.tally);
    } else {
        EXPECT_EQ(ExtractOutcome::generated, standard_extract(job, {}, r.tally));
    }
    r.file = read_file(job.output_path);
    return r;
}

std::string repeated(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

/// Bytes `from` to `to`, both included.
std::string bytes(int from, int to) {
    std::string out;
    for (int b = from; b <= to; ++b) out += static_cast<char>(b);
    return out;
}

struct ShapeCase {
    const char* what;
    std::string input;
    std::string standard;  // whole-file lines: CR LF, CR, LF; NUL ends the text
    std::string fast;      // lines by line: CR ends a line; Ctrl+Z ends the file
    std::int64_t standard_lines;
    std::int64_t fast_lines;
};

TEST(ExtractFaults, BinaryAndLineEndOnlyInputsGiveExactResults) {
    const std::string all_bytes = bytes(1, 255) + std::string(1000, '\0') + "after\r\n";
    const ShapeCase cases[] = {
        {"every byte value, then a run of NUL", "x\r\n" + all_bytes,
         "x\r\n" + bytes(1, 9) + "\r\n" + bytes(11, 12) + "\r\n" + bytes(14, 255) + "\r\n",
         "x\r\n" + bytes(1, 12) + "\r\n" + bytes(14, 25) + "\r\n", 4, 3},
        {"only line feeds", std::string(100000, '\n'), repeated("\r\n", 100000),
         std::string(300, '\n') + "\r\n", 100000, 1},
        {"only carriage returns", std::string(100000, '\r'), repeated("\r\n", 100000),
         repeated("\r\n", 100000), 100000, 100000},
    };
    for (const ShapeCase& c : cases) {
        TempDir dir;
        const ExtractJob job = job_on(dir, dir.write("in.txt", c.input), {{1, 300}});
        const RunResult standard = run(job, false);
        EXPECT_EQ(c.standard, standard.file) << c.what;
        EXPECT_EQ(c.standard_lines, standard.tally.generated_line_count) << c.what;
        const RunResult fast = run(job, true);
        EXPECT_EQ(c.fast, fast.file) << c.what;
        EXPECT_EQ(c.fast_lines, fast.tally.generated_line_count) << c.what;
    }
}

TEST(ExtractFaults, ALineEndAcrossTheReadersBlockIsOneLineEnd) {
    TempDir dir;
    // The carriage return is the last byte of the reader's first block, its line feed the first of the next.
    const std::string first = std::string((1 << 20) - 2, 'a') + "z";
    const ExtractJob job = job_on(dir, dir.write("in.txt", first + "\r\nnext\r\n"), {{(1 << 20) - 1, 4}});
    for (bool fast : {false, true}) {
        const RunResult r = run(job, fast);
        EXPECT_EQ("z\r\n\r\n", r.file) << fast;
        EXPECT_EQ(2, r.tally.generated_line_count) << fast;
    }
}

TEST(ExtractFaults, ALineOfAHundredMegabytes) {
    TempDir dir;
    const std::string line = std::string(99'999'996, 'x') + "tail";
    const ExtractJob job =
        job_on(dir, dir.write("in.txt", line + "\r\nnext\r\n"), {{1, 5}, {99'999'997, 10}});
    for (bool fast : {false, true}) {
        const RunResult r = run(job, fast);
        EXPECT_EQ("xxxxx;tail\r\nnext;\r\n", r.file) << fast;
        EXPECT_EQ(2, r.tally.generated_line_count) << fast;
    }
}

}  // namespace
}  // namespace qvr
