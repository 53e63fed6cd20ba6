#include "shell/program_places.h"

#include <gtest/gtest.h>

#include <map>

#include "support/temp_dir.h"

namespace qvr {
namespace {

// "@" stands for the test's folder; the expected places are the configuration, the log, the help and the
// dialogs' folder, joined by " | ".
TEST(ProgramPlaces, PortableAndInstalledCopies) {
    const struct {
        bool help_beside, user_config;  // a portable copy has its help beside the program
        std::map<std::string, std::string> env;
        const char* expected;
    } cases[] = {
        // clang-format off
        {true, true, {{"HOME", "@home"}}, "@bin/QVR32.CFG | @bin/QVR32.LOG | @bin/QVR32.HLP | @bin/"},
        {false, false, {{"HOME", "@home"}},
         "@bin/QVR32.CFG | @home/.local/state/quarvel/QVR32.LOG | @bin/../share/quarvel/QVR32.HLP | @home/"},
        {false, true, {{"HOME", "@home"}, {"XDG_STATE_HOME", "@state"}, {"XDG_CONFIG_HOME", "@home/.config"}},
         "@home/.config/quarvel/QVR32.CFG | @state/quarvel/QVR32.LOG | @bin/../share/quarvel/QVR32.HLP | @home/"},
        {false, true, {{"HOME", "@home"}, {"XDG_STATE_HOME", "state"}, {"XDG_CONFIG_HOME", "cfg"}},  // ignored
         "@home/.config/quarvel/QVR32.CFG | @home/.local/state/quarvel/QVR32.LOG | "
         "@bin/../share/quarvel/QVR32.HLP | @home/"}};  // clang-format on
    for (const auto& c : cases) {
        test::TempDir dir;
        const std::string& root = dir.path();
        // make_parent_folders makes the folders, as it makes the log's on demand: one it misses shows below.
        for (const char* file : {"bin/", "share/quarvel/QVR32.HLP", "home/.config/quarvel/QVR32.CFG"})
            make_parent_folders(root + file);
        dir.write("share/quarvel/QVR32.HLP", "help");
        if (c.help_beside) dir.write("bin/QVR32.HLP", "help");
        if (c.user_config) dir.write("home/.config/quarvel/QVR32.CFG", "QVRH");
        std::map<std::string, std::string> env;
        for (const auto& [key, value] : c.env) env[key] = value[0] == '@' ? root + value.substr(1) : value;
        const ProgramPlaces got = program_places(
            root + "bin/", [&](const char* name) { return env.count(name) ? env[name].c_str() : nullptr; });
        std::string expected = c.expected;
        for (std::size_t at; (at = expected.find('@')) != std::string::npos;) expected.replace(at, 1, root);
        EXPECT_EQ(expected,
                  got.config_path + " | " + got.log_path + " | " + got.help_path + " | " + got.dialog_dir);
    }
}

}  // namespace
}  // namespace qvr
