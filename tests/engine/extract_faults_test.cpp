#include <gtest/gtest.h>

#include <string>

#include "engine/fast_extract.h"
#include "engine/standard_extract.h"
#include "support/file_faults.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

using test::bytes;
using test::read_file;
using test::repeated;
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

struct ShapeCase {
    const char* what;
    std::string input;
    std::vector<FieldSlice> slices;
    std::string standard;  // whole-file lines: CR LF, CR, LF; NUL ends the text
    std::string fast;      // lines by line: CR ends a line; Ctrl+Z ends the file
    std::int64_t standard_lines;
    std::int64_t fast_lines;
};

TEST(ExtractFaults, BinaryLineEndOnlyAndHugeInputsGiveExactResults) {
    const std::string all_bytes = bytes(1, 255) + std::string(1000, '\0') + "after\r\n";
    // The carriage return is the last byte of the reader's first block, its line feed the first of the next.
    const std::string across = std::string((1 << 20) - 2, 'a') + "z\r\nnext\r\n";
    const std::string huge = std::string(99'999'996, 'x') + "tail\r\nnext\r\n";
    const ShapeCase cases[] = {
        {"every byte value, then a run of NUL",
         "x\r\n" + all_bytes,
         {{1, 300}},
         "x\r\n" + bytes(1, 9) + "\r\n" + bytes(11, 12) + "\r\n" + bytes(14, 255) + "\r\n",
         "x\r\n" + bytes(1, 12) + "\r\n" + bytes(14, 25) + "\r\n",
         4,
         3},
        {"only line feeds",
         std::string(100000, '\n'),
         {{1, 300}},
         repeated("\r\n", 100000),
         std::string(300, '\n') + "\r\n",
         100000,
         1},
        {"only carriage returns",
         std::string(100000, '\r'),
         {{1, 300}},
         repeated("\r\n", 100000),
         repeated("\r\n", 100000),
         100000,
         100000},
        {"CR LF across the block", across, {{(1 << 20) - 1, 4}}, "z\r\n\r\n", "z\r\n\r\n", 2, 2},
        {"a line of 100 MB",
         huge,
         {{1, 5}, {99'999'997, 10}},
         "xxxxx;tail\r\nnext;\r\n",
         "xxxxx;tail\r\nnext;\r\n",
         2,
         2},
    };
    for (const ShapeCase& c : cases) {
        TempDir dir;
        const ExtractJob job = job_on(dir, dir.write("in.txt", c.input), c.slices);
        const RunResult standard = run(job, false);
        EXPECT_EQ(c.standard, standard.file) << c.what;
        EXPECT_EQ(c.standard_lines, standard.tally.generated_line_count) << c.what;
        const RunResult fast = run(job, true);
        EXPECT_EQ(c.fast, fast.file) << c.what;
        EXPECT_EQ(c.fast_lines, fast.tally.generated_line_count) << c.what;
    }
}

}  // namespace
}  // namespace qvr
