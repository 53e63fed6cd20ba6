#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace qvr::test {
namespace {

struct ProgramRun {
    int status = -1;
    std::string out;  // what came through the pipe on standard output
    std::string err;
};

std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs `command`, standard output into a pipe and standard error into a file, so neither is a terminal.
ProgramRun run_command(const TempDir& dir, std::string command) {
    command += " 2>" + quoted(dir.file(".err"));
    ProgramRun run;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    char block[4096];
    for (std::size_t n; (n = std::fread(block, 1, sizeof block, pipe)) > 0;) run.out.append(block, n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = read_file(dir.file(".err"));
    ::unlink(dir.file(".err").c_str());
    return run;
}

// Runs the built program with `args`, each quoted as it is, standard output appended to `out_file` when
// one is named, standard input piped from `in_file` when one is named.
ProgramRun run_program(const TempDir& dir, const std::vector<std::string>& args,
                       const std::string& out_file = "", const std::string& in_file = "") {
    std::string command = in_file.empty() ? "" : "cat " + quoted(in_file) + " | ";
    command += quoted(QVR_BATCH_PROGRAM);
    for (const std::string& a : args) command += " " + quoted(a);
    return run_command(dir, command + (out_file.empty() ? "" : " >>" + quoted(out_file)));
}

TEST(BatchProgram, ResultThroughAPipeOrOntoTheInputAndTheUsageStatus) {
    TempDir dir;
    const std::string in = dir.write("in.txt", "caf\xE9 1\r\ncafe 2\r\n");
    struct Case {
        std::vector<std::string> args;
        std::string out_file;
        int status;
        std::string out;
        std::string err;
    };
    const Case cases[] = {
        // Names, separators and filters are bytes as given.
        {{"extract", "--input", in, "--output", "-", "--field", "\xC9t\xE9:1:4", "--field", ":5:2",
          "--separator", "\xA7", "--contains", "\xE9"},
         "",
         0,
         "\xC9t\xE9\xA7\r\ncaf\xE9\xA7 1\r\n",
         "Number of lines generated: 1\n"},
        {{"extract", "--input", in, "--output", "-", "--field", "N:1:4", "--fast", "--separator", ""},
         "",
         0,
         "caf\xE9\r\ncafe\r\n",
         "Number of lines generated: 2\n"},
        {{"extract", "--input", in, "--output", "-", "--field", "N:1:3", "--fast"},
         in,
         1,
         "",
         "Input and output files must be different.\n"},
        {{"extract", "--input", in},
         "",
         2,
         "",
         "quarvel-batch: --output is missing\n"
         "Usage: quarvel-batch extract --input FILE --output FILE|- LAYOUT [options]\n"
         "Try 'quarvel-batch --help' for more.\n"},
    };
    for (const Case& c : cases) {
        ProgramRun r = run_program(dir, c.args, c.out_file);
        EXPECT_EQ(c.status, r.status) << c.err;
        EXPECT_EQ(c.out, r.out);
        EXPECT_EQ(c.err, r.err);
    }
    EXPECT_EQ("caf\xE9 1\r\ncafe 2\r\n", read_file(in));
}

TEST(BatchProgram, StandardInputThroughAPipeInEveryMode) {
    TempDir dir;
    const std::string in = dir.write("in.txt", "bb 2\r\naa 1\r\n");
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"extract", "--output", "-", "--sorted"}, "K;V\r\naa;1\r\nbb;2\r\n"},
        {{"extract", "--output", "-", "--fast"}, "bb;2\r\naa;1\r\n"},
        {{"dbf", "--output", dir.file("piped.dbf")}, ""},
    };
    for (auto [args, out] : cases) {
        args.insert(args.end(), {"--input", "-", "--field", "K:1:2", "--field", "V:4:1"});
        const ProgramRun r = run_program(dir, args, "", in);
        EXPECT_EQ(0, r.status) << r.err;
        EXPECT_EQ(out, r.out);
    }
    // The table read from the pipe is the table read from the file, byte for byte.
    EXPECT_EQ(0, run_program(dir, {"dbf", "--input", in, "--field", "K:1:2", "--field", "V:4:1"}).status);
    EXPECT_EQ(read_file(dir.file("in.dbf")), read_file(dir.file("piped.dbf")));
}

// The README's pipeline: the fast extract over every core, records cut at CR LF, the parts in order.
TEST(BatchProgram, FastExtractSplitByParallelGivesTheWholeResult) {
    if (std::system("command -v parallel >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "GNU parallel is not installed (scripts/lib.sh installs it)";
    TempDir dir;
    std::string text;
    for (int i = 0; i < 3000; ++i) text += std::to_string(100000 + i) + (i % 2 ? " odd \r\n" : " even\r\n");
    const std::string in = dir.write("big.txt", text);
    const std::vector<std::string> job = {"extract", "--fast", "--input", "-",     "--output",   "-",
                                          "--field", "N:1:6",  "--field", "W:8:4", "--contains", "ev"};
    std::string command = "parallel --pipepart -a " + quoted(in) + " --recend '\\r\\n' --block 4k -k " +
                          quoted(QVR_BATCH_PROGRAM);
    for (const std::string& a : job) command += " " + quoted(a);
    const ProgramRun split = run_command(dir, command);
    std::vector<std::string> whole_job = job;
    whole_job[3] = in;
    EXPECT_EQ(0, split.status) << split.err;
    EXPECT_EQ(run_program(dir, whole_job).out, split.out);
    EXPECT_EQ(1500u * 13, split.out.size());
}

}  // namespace
}  // namespace qvr::test
