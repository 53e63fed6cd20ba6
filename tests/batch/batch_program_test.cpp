#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "batch_harness.h"

namespace qvr::test {
namespace {

std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

/// Runs the built program with `args` in a shell, each quoted as it is, between `before` and `after`
/// (pipes, redirections); standard output into a pipe and standard error into a file, neither a terminal.
BatchOutcome run_program(const TempDir& dir, const Args& args, const std::string& before = "",
                         const std::string& after = "") {
    std::string command = before + quoted(QVR_BATCH_PROGRAM);
    for (const std::string& a : args) command += " " + quoted(a);
    std::FILE* pipe = ::popen((command + after + " 2>" + quoted(dir.file(".err"))).c_str(), "r");
    BatchOutcome run{-1, read_stream(pipe), ""};
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = read_file(dir.file(".err"));
    return run;
}

// Bytes as given, the result through a pipe or onto its own input, the usage status, and standard input
// through a pipe in every mode: input order streams, a sorted run that does not fit sorts on disk.
TEST(BatchProgram, PipesBothWaysBytesAsGivenAndTheStatuses) {
    TempDir dir;
    const std::string in = dir.write("in.txt", "cafe 2\r\ncaf\xE9 1\r\n"), cat = "cat " + quoted(in) + " | ";
    const Args piped = {"--input", "-", "--field", "K:1:4", "--field", "V:6:1"};
    const std::string sorted = "K;V\r\ncaf\xE9;1\r\ncafe;2\r\n",
                      two = "Number of lines generated: 2\nEncoding: Windows-1252\n";
    const std::tuple<std::string, Args, std::string, int, std::string, std::string> cases[] = {
        {"",
         Args{"--input", in, "--field", "\xC9t\xE9:1:4", "--field", ":5:2", "--separator", "\xA7",
              "--contains", "\xE9"},
         "", 0, "\xC9t\xE9\xA7\r\ncaf\xE9\xA7 1\r\n",
         "Number of lines generated: 1\nEncoding: Windows-1252\n"},
        {"", Args{"--input", in, "--field", "N:1:3", "--fast"}, " >>" + quoted(in), 1, "",
         "quarvel-batch: standard output: the result cannot be written to the input file.\n"},
        {"", Args{"--input", in}, "", 2, "",
         "quarvel-batch: the layout (--layout FILE or --field NAME:START:LENGTH) is missing\n"
         "Usage: quarvel-batch extract --input FILE|- --output FILE|- LAYOUT [options]\n"
         "Try 'quarvel-batch extract --help' for more.\n"},
        {cat, join({{"--sorted"}, piped}), "", 0, sorted, two},
        {cat, join({{"--sorted", "--memory", "30"}, piped}), "", 0, sorted, two},
        {cat, join({{"--memory", "20", "--trim"}, piped}), "", 0, "K;V\r\ncafe;2\r\ncaf\xE9;1\r\n", two},
        {cat, join({{"--fast"}, piped}), "", 0, "cafe;2\r\ncaf\xE9;1\r\n", two},
    };
    for (const auto& [before, args, after, status, out, err] : cases) {
        const BatchOutcome r = run_program(dir, join({{"extract", "--output", "-"}, args}), before, after);
        EXPECT_EQ(status, r.status) << err;
        EXPECT_EQ(out, r.out);
        EXPECT_EQ(err, r.err);
    }
    EXPECT_EQ("cafe 2\r\ncaf\xE9 1\r\n", read_file(in));
    // The table read from the pipe is the table read from the file, byte for byte.
    EXPECT_EQ(0, run_program(dir, join({{"dbf", "--output", dir.file("piped.dbf")}, piped}), cat).status);
    EXPECT_EQ(0, run_program(dir, {"dbf", "--input", in, "--field", "K:1:4", "--field", "V:6:1"}).status);
    EXPECT_EQ(read_file(dir.file("in.dbf")), read_file(dir.file("piped.dbf")));
}

// Standard input closed (<&-): every command reading it is refused before it opens a file, so none of its own
// files is read in its place; a command reading a file works as usual.
TEST(BatchProgram, AClosedStandardInputIsRefusedBeforeAnythingIsOpened) {
    TempDir dir;
    const std::string layout = examples_dir() + "customers.tab", in = dir.write("in.txt", "abcd\r\n");
    const Args piped = {"--input", "-", "--layout", layout};
    const std::string closed = "quarvel-batch: standard input: it is closed: there is nothing to read.\n";
    const std::tuple<Args, int, std::string, std::string> cases[] = {
        {join({{"extract", "--output", dir.file("o.txt")}, piped}), 1, "", closed},
        {join({{"dbf", "--output", dir.file("o.dbf")}, piped}), 1, "", closed},
        {Args{"analyse", "--input", "-"}, 1, "", closed},
        {Args{"detect", "--input", "-", "--output", "-"}, 1, "", closed},
        {join({{"check"}, piped}), 1, "", closed},
        {Args{"extract", "--output", "-", "--input", in, "--field", "K:1:4"}, 0, "K\r\nabcd\r\n",
         "Number of lines generated: 1\nEncoding: Windows-1252\n"},
    };
    for (const auto& [args, status, out, err] : cases) {
        const BatchOutcome r = run_program(dir, args, "", " <&-");
        EXPECT_EQ(status, r.status) << args[0];
        EXPECT_EQ(out, r.out) << args[0];
        EXPECT_EQ(err, r.err) << args[0];
    }
    EXPECT_EQ(".err in.txt", list_folder(dir.path()));
}

// The analysis of standard input tells the size of what came through the pipe (past a Ctrl+Z too), as the
// analysis of the file does.
TEST(BatchProgram, AnAnalysisOfStandardInputTellsItsSize) {
    TempDir dir;
    const std::string in = dir.write("in.txt",
                                     "abc\r\nde\r\n\x1a"
                                     "after\r\n");
    const BatchOutcome piped = run_program(dir, {"analyse", "--input", "-"}, "cat " + quoted(in) + " | ");
    EXPECT_EQ(0, piped.status) << piped.err;
    EXPECT_NE(std::string::npos, piped.out.find("Size (bytes): 17\n")) << piped.out;
    EXPECT_EQ(run_program(dir, {"analyse", "--input", in}).out, piped.out);
}

// The README's pipeline: the fast extract over every core, records cut at CR LF, the parts in order.
TEST(BatchProgram, FastExtractSplitByParallelGivesTheWholeResult) {
    if (std::system("command -v parallel >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "GNU parallel is not installed";
    TempDir dir;
    std::string text;
    for (int i = 0; i < 3000; ++i) text += std::to_string(100000 + i) + (i % 2 ? " odd \r\n" : " even\r\n");
    const std::string in = dir.write("big.txt", text);
    Args job = {"extract", "--fast", "--input", "-",     "--output",   "-",
                "--field", "N:1:6",  "--field", "W:8:4", "--contains", "ev"};
    const BatchOutcome split =
        run_program(dir, job, "parallel --pipepart -a " + quoted(in) + " --recend '\\r\\n' --block 4k -k ");
    EXPECT_EQ(0, split.status) << split.err;
    EXPECT_EQ(1500u * 13, split.out.size());
    job[3] = in;
    EXPECT_EQ(run_program(dir, job).out, split.out);
}

}  // namespace
}  // namespace qvr::test
