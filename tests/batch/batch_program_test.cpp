#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
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

// Runs the built program with `args`, each quoted as it is, standard output into a pipe (or appended to
// `out_file` when one is named) and standard error into a file, so neither is a terminal.
ProgramRun run_program(const TempDir& dir, const std::vector<std::string>& args,
                       const std::string& out_file = "") {
    std::string command = quoted(QVR_BATCH_PROGRAM);
    for (const std::string& a : args) command += " " + quoted(a);
    command += " 2>" + quoted(dir.file(".err")) + (out_file.empty() ? "" : " >>" + quoted(out_file));
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

}  // namespace
}  // namespace qvr::test
