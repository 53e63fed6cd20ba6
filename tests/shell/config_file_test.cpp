#include "shell/config_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <map>

#include "common/file_error.h"
#include "shell/link_check.h"
#include "shell/program_places.h"
#include "support/file_faults.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

TEST(ConfigFile, KeysValuesAndLines) {
    const LinkTexts d;
    const std::string a100(100, 'a');
    const std::pair<std::string, LinkTexts> cases[] = {
        {"QVRH", {d.author, "", d.mail}},  // a key alone empties its link
        {"qvrhhttp://x\r\n", d},           // keys are case-sensitive
        {"AUTH" + a100 + "\r\n", {a100.substr(0, 80), d.home, d.mail}},
        {"MAILmailto:a\r\nMAILmailto:b\r\n", {d.author, d.home, "mailto:b"}},
        {"QVRH=http://x\r\n",
         {d.author, "=http://x", d.mail}},  // nothing between key and value, nothing trimmed
        {"AUT\r\nXXXXhttp://x\r\n", d},
        {"QVRHa\nb\rAUTHc", {"c", "a", d.mail}}};  // the line reader's line ends
    test::TempDir dir;
    for (const auto& [file, expected] : cases) {
        LinkTexts links;
        apply_config_file(dir.write("QVR32.CFG", file), links);
        EXPECT_EQ(expected.author + " | " + expected.home + " | " + expected.mail,
                  links.author + " | " + links.home + " | " + links.mail)
            << file;
    }
}

// A configuration file over 1 MB (a sparse one of 30 GB, or lines over 1 MB in all) is refused at once and
// changes nothing.
TEST(ConfigFile, AFileOver1MBIsRefusedWithoutReadingItThrough) {
    test::TempDir dir;
    const std::string many_lines =
        "AUTHa\r\n" + test::repeated("XXXX" + std::string(100, 'x') + "\r\n", 11000);
    const std::pair<std::string, off_t> cases[] = {{"AUTHa\r\n", off_t{30} << 30},
                                                   {many_lines, static_cast<off_t>(many_lines.size())}};
    for (const auto& [text, size] : cases) {
        const std::string path = dir.write("QVR32.CFG", text);
        ASSERT_EQ(0, ::truncate(path.c_str(), size));
        LinkTexts links;
        const auto started = std::chrono::steady_clock::now();
        EXPECT_THAT(
            [&] { apply_config_file(path, links); },
            testing::ThrowsMessage<FileError>("Cannot read file " + path + ". It is larger than 1 MB"));
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
        EXPECT_EQ(LinkTexts().author, links.author);
    }
}

TEST(LinkCheck, OnlyWebAndMailLinksGoOut) {
    const std::pair<const char*, bool> cases[] = {
        // clang-format off
        {"http://quarvel.example.org/", true}, {"HTTPS://Quarvel.example.org/", true}, {"MAilto:a@b", true},
        {"mailto:author@quarvel.example.org?subject=About Quarvel 32 bits", true}, {"", false}, {"http", false},
        {"file:///etc/passwd", false}, {"/usr/bin/xterm", false}, {"ftp://quarvel.example.org/", false},
        {"httpx://quarvel.example.org/", false},
        {" https://quarvel.example.org/", false}};  // the value is taken as written, blank first; clang-format on
    for (const auto& [link, allowed] : cases) EXPECT_EQ(allowed, may_open_link(link)) << link;
}

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
