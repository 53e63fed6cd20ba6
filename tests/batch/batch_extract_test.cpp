#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "batch/batch_main.h"
#include "batch_harness.h"
#include "support/temp_dir.h"

namespace qvr::test {
namespace {

using Args = std::vector<std::string>;

// Keys in columns 1 to 4 (blank-padded), values in 5 and 6.
const std::string kInput =
    "bb  12\r\n"
    "A   34\r\n"
    "a   34\r\n"
    "bb  12\r\n"
    "C   78\r\n";

class BatchExtractTest : public ::testing::Test {
  protected:
    Args extract(const Args& more) const {
        Args args = {"extract", "--input", input, "--output", output};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }
    Args fields(const Args& more) const {
        Args args = extract({"--field", " Key :1:4", "--field", "Val:5:2"});
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }

    TempDir dir;
    std::string input = dir.write("in.txt", kInput);
    const std::string untrimmed = "Key;Val\r\nbb  ;12\r\nA   ;34\r\na   ;34\r\nbb  ;12\r\nC   ;78\r\n";
    std::string output = dir.file("out.txt");
};

TEST_F(BatchExtractTest, EveryOptionAsTheGeneralDataWindowHasIt) {
    const std::string layout =
        dir.write("layout.tab", "Key       1    4    4   \r\nVal       5    2    6   \r\n");
    struct Case {
        Args args;
        std::string file;
        std::int64_t generated;
    };
    const Case cases[] = {
        {fields({}), untrimmed, 5},
        {extract({"--layout", layout}), untrimmed, 5},
        {extract({"--field", "a:b:1:2", "--field", ":5:1"}),
         "a:b;\r\nbb;1\r\nA ;3\r\na ;3\r\nbb;1\r\nC ;7\r\n", 5},
        {fields({"--separator", " | ", "--trim"}),
         "Key | Val\r\nbb | 12\r\nA | 34\r\na | 34\r\nbb | 12\r\nC | 78\r\n", 5},
        {fields({"--separator", "|", "--tab", "--trim", "--sample", "1"}), "Key\tVal\r\nbb\t12\r\n", 1},
        {fields({"--sorted", "--trim"}), "Key;Val\r\na;34\r\nA;34\r\nbb;12\r\nbb;12\r\nC;78\r\n", 5},
        {fields({"--unique", "--no-header", "--numbers", "--trim"}), "1;A;34\r\n2;bb;12\r\n3;C;78\r\n", 5},
        {fields({"--lower", "A", "--upper", "C;8", "--contains", "3"}), "Key;Val\r\nA   ;34\r\n", 1},
        {fields({"--sample", "2x"}), untrimmed, 5},
        {fields({"--fast", "--trim", "--contains", "12", "--sample", "1"}), "bb;12\r\n", 1},
    };
    for (const Case& c : cases) {
        ::unlink(output.c_str());
        BatchOutcome r = run_batch_in_process(c.args);
        EXPECT_EQ(0, r.status) << c.file;
        EXPECT_EQ(c.file, read_file(output));
        EXPECT_EQ("Number of lines generated: " + std::to_string(c.generated) + "\n", r.err) << c.file;
        EXPECT_EQ("", r.out) << c.file;
    }
}

// A file named "-" is neither written nor counted as an existing result: "-" is standard output.
TEST_F(BatchExtractTest, DashIsStandardOutputNeverAFile) {
    output = "-";
    dir.write("-", "mine");
    const std::string here = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    EXPECT_EQ(0, run_batch_in_process(fields({"--fast"})).status);
    std::filesystem::current_path(here);
    EXPECT_EQ("mine", read_file(dir.file("-")));
    EXPECT_EQ("- in.txt", list_folder(dir.path()));
}

TEST_F(BatchExtractTest, RefusalsInTheWindowsOrderWithTheirTexts) {
    const std::string old_result = dir.write("old.txt", "old\r\n");
    const std::string layout = dir.write("bad.tab", "Key       x    4    4   \r\n");
    const std::string empty_layout = dir.write("empty.tab", "");
    struct Case {
        Args args;
        std::string err;
    };
    const Case cases[] = {
        {{"extract", "--input", dir.file("none.txt"), "--output", output, "--field", "K:0:4"},
         "File does not exist or 'Input file' area empty.\n"},
        {{"extract", "--input", input, "--output", input, "--field", "K:0:4"},
         "Input and output files must be different.\n"},
        {{"extract", "--input", input, "--output", old_result, "--field", "K:0:4"},
         "Result file already exists: " + old_result + " (--overwrite replaces it).\n"},
        {extract({"--field", "K:0:4"}), "Please check the delimiter.\n"},
        {{"extract", "--input", dir.file("none.txt"), "--output", output, "--layout", dir.file("none.tab")},
         "Cannot open file " + dir.file("none.tab") + ". No such file or directory.\n"},
        {extract({"--layout", layout}), "'x' is not a valid integer value.\n"},
        {extract({"--layout", empty_layout}), "The file " + empty_layout + " holds no field definition.\n"},
        {{"extract", "--input", input, "--output", dir.file("no/out.txt"), "--field", "K:1:4"},
         "Cannot create file " + dir.file("no/out.txt") + ". No such file or directory.\n"},
    };
    for (const Case& c : cases) {
        BatchOutcome r = run_batch_in_process(c.args);
        EXPECT_EQ(1, r.status) << c.err;
        EXPECT_EQ(c.err, r.err);
        EXPECT_EQ("", r.out);
    }
    EXPECT_EQ("bad.tab empty.tab in.txt old.txt", list_folder(dir.path()));
    EXPECT_EQ("old\r\n", read_file(old_result));

    BatchOutcome r = run_batch_in_process(
        {"extract", "--input", input, "--output", old_result, "--field", "K:1:2", "--overwrite", "--fast"});
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("bb\r\nA \r\na \r\nbb\r\nC \r\n", read_file(old_result));
}

TEST_F(BatchExtractTest, TooLittleMemoryGivesTheAdviceAndWritesNothing) {
    const Machine small{false, std::chrono::steady_clock::now, 10};
    BatchOutcome r = run_batch_in_process(fields({}), small);
    EXPECT_EQ(1, r.status);
    EXPECT_EQ(
        "Out of memory, input file too big, procedure halted.\n"
        "Three solutions: do not keep the input view, close some applications, split your input file, or try "
        "\"Fast extract\".\n",
        r.err);
    EXPECT_EQ("in.txt", list_folder(dir.path()));
    // The fast extract needs no more memory than a line.
    EXPECT_EQ(0, run_batch_in_process(fields({"--fast"}), small).status);
}

TEST_F(BatchExtractTest, ProgressBarOnlyOnATerminalAndOnlyAfterAMoment) {
    dir.write("in.txt", "bb  12\r\n");
    const std::string bar = "\r[######..................................]  15%";
    const std::string wipe = "\r" + std::string(47, ' ') + "\r";
    const std::string summary = "Number of lines generated: 1\n";
    struct Case {
        bool terminal;
        std::chrono::milliseconds step;  // how far the clock moves at each look
        std::string err;
    };
    const Case cases[] = {
        {true, std::chrono::milliseconds(600), bar + wipe + summary},
        {true, std::chrono::milliseconds(0), summary},
        {false, std::chrono::milliseconds(600), summary},
    };
    for (const Case& c : cases) {
        auto time = std::make_shared<std::chrono::steady_clock::time_point>();
        const Machine machine{c.terminal, [time, step = c.step] { return *time += step; }, {}};
        EXPECT_EQ(c.err, run_batch_in_process(fields({"--fast"}), machine).err);
        ::unlink(output.c_str());
    }
}

TEST_F(BatchExtractTest, ControlBytesOfNamesReachATerminalEscaped) {
    output = dir.write("out\x1b]0;title\x07\nError: forged\t.txt", "old");
    const std::string name = dir.file("out");
    const struct {
        bool terminal;
        std::string err;
    } cases[] = {
        {true, "Result file already exists: " + name +
                   "\\x1b]0;title\\x07\\nError: forged\\t.txt (--overwrite replaces it).\n"},
        {false, "Result file already exists: " + output + " (--overwrite replaces it).\n"},
    };
    for (const auto& c : cases) {
        Machine machine;
        machine.terminal = c.terminal;
        EXPECT_EQ(c.err, run_batch_in_process(fields({}), machine).err);
    }
}

}  // namespace
}  // namespace qvr::test
