#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <tuple>

#include "support/temp_dir.h"

namespace qvr::test {
namespace {

struct Outcome {
    int status;
    std::string out, err;
};

/// Runs the built window program with `args` where no display is: no X or Wayland display and no
/// platform named, as from a plain terminal or a script.
Outcome run_without_display(const TempDir& dir, const std::string& args, const std::string& out = "") {
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" +
                                std::string(QVR_WINDOW_PROGRAM) + "' " + args + " >'" +
                                (out.empty() ? dir.file("out") : out) + "' 2>'" + dir.file("err") + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file(dir.file("out")),
            read_file(dir.file("err"))};
}

TEST(WindowProgramCommandLine, AnswersWithoutADisplay) {
    const std::string usage = "Usage: quarvel [FILE]\n       quarvel --help | --version\n";
    const std::string more = "Try 'quarvel --help' for more.\n";
    const std::tuple<std::string, int, std::string, std::string> cases[] = {
        {"--version", 0, "quarvel 3.44\n", ""},
        {"some.txt --version", 0, "quarvel 3.44\n", ""},
        {"--versio", 2, "", "quarvel: unknown option --versio\n" + usage + more},
        {"-x some.txt", 2, "", "quarvel: unknown option -x\n" + usage + more},
        {"a.txt b.txt", 2, "", "quarvel: one input file at most, not 2\n" + usage + more},
        {"-style", 2, "", "quarvel: the option -style needs a value\n" + usage + more},
    };
    TempDir dir;
    for (const auto& [args, status, out, err] : cases) {
        const Outcome run = run_without_display(dir, args);
        EXPECT_EQ(status, run.status) << args;
        EXPECT_EQ(out, run.out) << args;
        EXPECT_EQ(err, run.err) << args;
    }
    const Outcome help = run_without_display(dir, "--help");
    EXPECT_EQ(0, help.status);
    EXPECT_TRUE(help.out.starts_with(usage)) << help.out;
    EXPECT_EQ(1, run_without_display(dir, "--version", "/dev/full").status);
}

}  // namespace
}  // namespace qvr::test
