#include "shell/program_places.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>

#include "support/temp_dir.h"

namespace qvr {
namespace {

struct PlacesCase {
    const char* name;
    bool help_beside;                        // a portable copy: the help beside the program
    std::map<std::string, std::string> env;  // "@" stands for the test's folder
    bool user_config;                        // a QVR32.CFG in the user's configuration folder
    ProgramPlaces expected;                  // "@" stands for the test's folder
};

std::string in(const std::string& dir, std::string text) {
    if (!text.empty() && text[0] == '@') text = dir + text.substr(1);
    return text;
}

TEST(ProgramPlaces, PortableAndInstalledCopies) {
    const PlacesCase cases[] = {
        {"portable",
         true,
         {{"HOME", "@home"}},
         true,
         {"@bin/QVR32.CFG", "@bin/QVR32.LOG", "@bin/QVR32.HLP", "@bin/"}},
        {"installed, defaults",
         false,
         {{"HOME", "@home"}},
         false,
         {"@bin/QVR32.CFG", "@home/.local/state/quarvel/QVR32.LOG", "@bin/../share/quarvel/QVR32.HLP",
          "@home/"}},
        {"installed, XDG folders",
         false,
         {{"HOME", "@home"}, {"XDG_STATE_HOME", "@state"}, {"XDG_CONFIG_HOME", "@home/.config"}},
         true,
         {"@home/.config/quarvel/QVR32.CFG", "@state/quarvel/QVR32.LOG", "@bin/../share/quarvel/QVR32.HLP",
          "@home/"}},
        {"installed, relative XDG ignored",
         false,
         {{"HOME", "@home"}, {"XDG_STATE_HOME", "state"}, {"XDG_CONFIG_HOME", "cfg"}},
         true,
         {"@home/.config/quarvel/QVR32.CFG", "@home/.local/state/quarvel/QVR32.LOG",
          "@bin/../share/quarvel/QVR32.HLP", "@home/"}},
    };
    for (const PlacesCase& c : cases) {
        test::TempDir dir;
        const std::string& root = dir.path();
        for (const char* folder :
             {"bin", "share", "share/quarvel", "home", "home/.config", "home/.config/quarvel"}) {
            ::mkdir((root + folder).c_str(), 0755);
        }
        dir.write("share/quarvel/QVR32.HLP", "help");
        if (c.help_beside) dir.write("bin/QVR32.HLP", "help");
        if (c.user_config) dir.write("home/.config/quarvel/QVR32.CFG", "QVRH");
        std::map<std::string, std::string> env;
        for (const auto& [key, value] : c.env) env[key] = in(root, value);
        ProgramPlaces got = program_places(root + "bin/", [&](const char* name) {
            auto it = env.find(name);
            return it == env.end() ? nullptr : it->second.c_str();
        });
        EXPECT_EQ(in(root, c.expected.config_path), got.config_path) << c.name;
        EXPECT_EQ(in(root, c.expected.log_path), got.log_path) << c.name;
        EXPECT_EQ(in(root, c.expected.help_path), got.help_path) << c.name;
        EXPECT_EQ(in(root, c.expected.dialog_dir), got.dialog_dir) << c.name;
    }
}

TEST(ProgramPlaces, TheLogFolderIsMadeOnDemand) {
    test::TempDir dir;
    make_parent_folders(dir.file("a/b/QVR32.LOG"));
    dir.write("a/b/QVR32.LOG", "x");
    EXPECT_EQ("x", test::read_file(dir.file("a/b/QVR32.LOG")));
}

}  // namespace
}  // namespace qvr
