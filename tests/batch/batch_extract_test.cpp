#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "batch_harness.h"
#include "support/file_faults.h"

namespace qvr::test {
namespace {
using std::chrono::milliseconds;

class BatchExtractTest : public ::testing::Test {
  protected:
    /// An extract of in.txt into `output` with `more`, and the key (columns 1 to 4) and value fields
    /// unless told otherwise.
    Args extract(const Args& more,
                 const Args& fields = {"--field", " Key :1:4", "--field", "Val:5:2"}) const {
        return join({{"extract", "--input", input, "--output", output}, fields, more});
    }

    TempDir dir;
    std::string input = dir.write("in.txt", "bb  12\r\nA   34\r\na   34\r\nbb  12\r\nC   78\r\n");
    const std::string sorted = "Key;Val\r\na;34\r\nA;34\r\nbb;12\r\nbb;12\r\nC;78\r\n";
    std::string output = dir.file("out.txt");
};

// Each refusal names the program and the file it concerns; a bad number of a layout file its line.
TEST_F(BatchExtractTest, RefusalsInTheWindowsOrderNamingTheirFiles) {
    const std::string old_result = dir.write("old.txt", "old\r\n"), none = dir.file("none.txt");
    const std::string layout = dir.write("bad.tab", "Key       x    4    4   \r\n");
    const std::string rows = "A         1    1    1   \r\nB         2    1    2   \r\nC         ";
    const std::string third = dir.write("third.tab", rows + "n    1    3   \r\n");
    const std::string zero = dir.write("zero.tab", rows + "3    0    3   \r\n");
    const std::string third_cr =
        dir.write("cr.tab", "A         1    1    1\rB         2    1    2\nC         3    n");
    const std::string empty_layout = dir.write("empty.tab", "");
    auto on = [](const std::string& in, const std::string& out, const Args& layout = {"--field", "K:0:4"}) {
        return join({{"extract", "--input", in, "--output", out}, layout});
    };
    const std::pair<Args, std::string> cases[] = {
        {on(none, output), none + ": the input file does not exist (or is a folder)."},
        {on(input, input), input + ": the result cannot be written to the input file."},
        {on(input, old_result), old_result + ": the result file already exists (--overwrite replaces it)."},
        {on(input, output), "--field 1: the start or the length is 0."},
        {on(input, output, {"--field", "K:1:4", "--field", "L:5:x"}),
         "--field 2: 'x' is not a valid integer value."},
        {on(input, output, {"--layout", zero}), zero + " field 3: the start or the length is 0."},
        {on(none, output, {"--layout", dir.file("none.tab")}),
         "Cannot open file " + dir.file("none.tab") + ". No such file or directory."},
        {on(input, output, {"--layout", layout}), layout + " line 1: 'x' is not a valid integer value."},
        {on(input, output, {"--layout", third}), third + " line 3: 'n' is not a valid integer value."},
        {on(input, output, {"--layout", third_cr}), third_cr + " line 3: 'n' is not a valid integer value."},
        {on(input, output, {"--layout", empty_layout}),
         empty_layout + ": the file holds no field definition."},
        {on(input, dir.file("no/out.txt"), {"--field", "K:1:4"}),
         "Cannot create file " + dir.file("no/out.txt") + ". No such file or directory."},
        {Args{"analyse", "--input", none}, "Cannot open file " + none + ". No such file or directory."},
    };
    for (const auto& [args, err] : cases) {
        BatchOutcome r = run_batch_in_process(args);
        EXPECT_EQ(1, r.status) << err;
        EXPECT_EQ("quarvel-batch: " + err + "\n", r.err);
        EXPECT_EQ("", r.out);
    }
    EXPECT_EQ("bad.tab cr.tab empty.tab in.txt old.txt third.tab zero.tab", list_folder(dir.path()));
    EXPECT_EQ("old\r\n", read_file(old_result));
    EXPECT_EQ(
        0, run_batch_in_process(on(input, old_result, {"--field", "K:1:2", "--overwrite", "--fast"})).status);
    EXPECT_EQ("bb\r\nA \r\na \r\nbb\r\nC \r\n", read_file(old_result));
}

// A database or a workbook is a file of its own: not with --fast, not to standard output; --table and
// --sheet belong to their format. An existing database is no refusal (its table is checked), and a table
// of that name is replaced only with --overwrite.
TEST_F(BatchExtractTest, TypedOutputsTheirUsageErrorsAndATakenTable) {
    const std::pair<Args, std::string> usage[] = {
        {extract({"--format", "sqlite", "--fast"}), "--fast writes separated text only, not --format sqlite"},
        {extract({"--format", "csv"}), "--format 'csv' is not text, sqlite or xlsx"},
        {extract({"--format", "xlsx", "--table", "T"}), "--table names the table of --format sqlite"},
        {extract({"--sheet", "T"}), "--sheet names the sheet of --format xlsx"},
    };
    for (const auto& [args, err] : usage) {
        const BatchOutcome r = run_batch_in_process(args);
        EXPECT_EQ(2, r.status) << err;
        EXPECT_THAT(r.err, testing::HasSubstr(err));
    }
    output = dir.file("out.db");
    EXPECT_EQ(0, run_batch_in_process(extract({"--format", "sqlite"})).status);
    EXPECT_EQ("quarvel-batch: The database " + output +
                  " already has a table named in; it is replaced only when asked.\n",
              run_batch_in_process(extract({"--format", "sqlite"})).err);
    EXPECT_EQ(0, run_batch_in_process(extract({"--format", "sqlite", "--overwrite", "--table", "T"})).status);
    EXPECT_EQ("in.txt out.db", list_folder(dir.path()));
}

TEST_F(BatchExtractTest, LittleMemoryOrAMemoryCapSortsOnDiskToTheSameBytes) {
    EXPECT_EQ(0, run_batch_in_process(extract({"--sorted", "--trim"}), {.memory = 10}).status);
    EXPECT_EQ(sorted, read_file(output));
    EXPECT_EQ(0,
              run_batch_in_process(extract({"--sorted", "--trim", "--overwrite", "--memory", "1K"})).status);
    EXPECT_EQ(sorted, read_file(output));
    EXPECT_EQ("in.txt out.txt", list_folder(dir.path()));
    // Runs for standard output go to the temporary folder: a cap of a byte needs them.
    const std::string tmpdir = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
    ::setenv("TMPDIR", dir.file("none").c_str(), 1);
    output = "-";
    const BatchOutcome r = run_batch_in_process(extract({"--sorted", "--memory", "1"}));
    tmpdir.empty() ? ::unsetenv("TMPDIR") : ::setenv("TMPDIR", tmpdir.c_str(), 1);
    EXPECT_THAT(r.err, testing::StartsWith("quarvel-batch: Cannot create file " + dir.file("none/")));
}

TEST_F(BatchExtractTest, ProgressBarOnlyOnATerminalAndOnlyAfterAMoment) {
    dir.write("in.txt", "bb  12\r\n");
    const std::string summary = "Number of lines generated: 1\nEncoding: Windows-1252\n";
    const std::string bar =
        "\r[######..................................]  15%\r" + std::string(47, ' ') + "\r";
    // Whether the error stream is a terminal, how far the clock moves at each look, what it shows.
    const std::tuple<bool, milliseconds, std::string> cases[] = {{true, milliseconds(600), bar + summary},
                                                                 {true, milliseconds(0), summary},
                                                                 {false, milliseconds(600), summary}};
    for (const auto& [terminal, step, err] : cases) {
        auto time = std::make_shared<std::chrono::steady_clock::time_point>();
        const Machine machine{terminal, [time, step = step] { return *time += step; }, {}};
        EXPECT_EQ(err, run_batch_in_process(extract({"--fast", "--overwrite"}), machine).err);
    }
}

// A file named "-" is neither written nor counted as an existing result: "-" is standard output, which both
// ways write.
TEST_F(BatchExtractTest, ControlBytesOfNamesReachATerminalEscapedAndDashIsNoFile) {
    output = dir.write("out\x1b]0;title\x07\nError: forged\t.txt", "old");
    const std::string exists = ": the result file already exists (--overwrite replaces it).\n";
    EXPECT_EQ("quarvel-batch: " + dir.file("out") + "\\x1b]0;title\\x07\\nError: forged\\t.txt" + exists,
              run_batch_in_process(extract({}), {.terminal = true}).err);
    EXPECT_EQ("quarvel-batch: " + output + exists, run_batch_in_process(extract({})).err);
    ::unlink(output.c_str());
    output = "-";
    dir.write("-", "mine");
    const std::string here = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    for (const char* way : {"--no-header", "--fast"})
        EXPECT_EQ("bb  ;12\r\nA   ;34\r\na   ;34\r\nbb  ;12\r\nC   ;78\r\n",
                  run_batch_in_process(extract({way})).out);
    std::filesystem::current_path(here);
    EXPECT_EQ("mine", read_file(dir.file("-")));
    EXPECT_EQ("- in.txt", list_folder(dir.path()));
}

// On a terminal every message escapes the control bytes of the names it holds, a line break (LF CR) too,
// and keeps its own line breaks: a failing fast extract, a missing input, the check's report.
TEST_F(BatchExtractTest, ControlBytesOfNamesAreEscapedInEveryMessage) {
    const std::string forged = "a\n\rError: forged\x1b[31m", shown = "a\\n\\rError: forged\\x1b[31m";
    output = dir.file(forged);
    const auto failed = [&] {
        const FileSizeLimit limit(20);  // past the harness's own writes
        return run_batch_in_process(extract({"--fast"}), {.terminal = true});
    }();
    EXPECT_EQ("quarvel-batch: Cannot write file " + dir.file(shown) +
                  ". File too large.\nquarvel-batch: The result file " + dir.file(shown) +
                  " is incomplete.\n",
              failed.err);
    EXPECT_EQ("quarvel-batch: Cannot open file " + dir.file(shown) + ".none. No such file or directory.\n",
              run_batch_in_process({"analyse", "--input", output + ".none"}, {.terminal = true}).err);
    EXPECT_EQ(
        "Lines: 5\nLine length: shortest 6 (5 lines), longest 6 (5 lines), most common 6 (5 lines)\n"
        "Field 1 (" +
            shown + ") and Field 2 overlap in columns 1 to 2\n",
        run_batch_in_process({"check", "--input", input, "--field", forged + ":1:2", "--field", ":1:6"},
                             {.terminal = true})
            .out);
}

}  // namespace
}  // namespace qvr::test
