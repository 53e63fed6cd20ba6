#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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

// Runs the built program with `args` given as they are (no shell in between), standard output into a
// pipe (or appended to `out_file` when one is named) and standard error into a file, so neither is a
// terminal.
ProgramRun run_program(const TempDir& dir, const std::vector<std::string>& args,
                       const std::string& out_file = "") {
    std::vector<char*> argv;
    std::string program = QVR_BATCH_PROGRAM;
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    int pipe_fds[2];
    EXPECT_EQ(0, ::pipe(pipe_fds));
    const std::string err_path = dir.file(".err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (out_file.empty()) posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);
    if (!out_file.empty())
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out_file.c_str(), O_WRONLY | O_APPEND, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addclose(&actions, pipe_fds[0]);
    pid_t pid = -1;
    EXPECT_EQ(0, ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ));
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe_fds[1]);
    ProgramRun run;
    char block[4096];
    for (ssize_t n; (n = ::read(pipe_fds[0], block, sizeof block)) > 0;)
        run.out.append(block, static_cast<std::size_t>(n));
    ::close(pipe_fds[0]);
    int wait_status = 0;
    ::waitpid(pid, &wait_status, 0);
    run.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
    run.err = read_file(err_path);
    ::unlink(err_path.c_str());
    return run;
}

TEST(BatchProgram, ResultThroughAPipeAndExitStatuses) {
    TempDir dir;
    const std::string in = dir.write("in.txt", "caf\xE9 1\r\ncafe 2\r\n");
    const std::string out = dir.file("out.txt");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out;
        std::string err;
    };
    const Case cases[] = {
        {{"extract", "--input", in, "--output", "-", "--field", "N:1:4", "--contains", "\xE9"},
         0,
         "N\r\ncaf\xE9\r\n",
         "Number of lines generated: 1\n"},
        {{"extract", "--input", in, "--output", "-", "--field", "N:1:4", "--fast", "--separator", ""},
         0,
         "caf\xE9\r\ncafe\r\n",
         "Number of lines generated: 2\n"},
        {{"extract", "--input", in, "--output", out, "--field", "N:6:1", "--no-header"},
         0,
         "",
         "Number of lines generated: 2\n"},
        {{"extract", "--input", in, "--output", out, "--field", "N:6:1"},
         1,
         "",
         "Result file already exists: " + out + " (--overwrite replaces it).\n"},
        {{"dbf", "--input", in, "--field", "N:1:4"}, 0, "", dir.file("in.dbf") + " generated\n"},
        {{"extract", "--input", in},
         2,
         "",
         "quarvel-batch: --output is missing\n"
         "Usage: quarvel-batch extract --input FILE --output FILE|- LAYOUT [options]\n"
         "Try 'quarvel-batch --help' for more.\n"},
        {{"--version"}, 0, "quarvel-batch 3.44\n", ""},
        {{"analyse", "--input", in}, 0, "Input file...\nSize (bytes): 16\nLines: 2\n", ""},
    };
    for (const Case& c : cases) {
        ProgramRun r = run_program(dir, c.args);
        EXPECT_EQ(c.status, r.status) << c.err;
        EXPECT_EQ(c.out, r.out);
        EXPECT_EQ(c.err, r.err);
    }
    EXPECT_EQ("1\r\n2\r\n", read_file(out));
}

TEST(BatchProgram, StandardOutputAppendedToTheInputIsRefused) {
    TempDir dir;
    const std::string in = dir.write("in.txt", "abc\r\n");
    ProgramRun r =
        run_program(dir, {"extract", "--input", in, "--output", "-", "--field", "N:1:3", "--fast"}, in);
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("Input and output files must be different.\n", r.err);
    EXPECT_EQ("abc\r\n", read_file(in));
}

}  // namespace
}  // namespace qvr::test
