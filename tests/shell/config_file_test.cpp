#include "shell/config_file.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace qvr {
namespace {

struct ConfigCase {
    std::string file;
    LinkTexts expected;
};

TEST(ConfigFile, KeysValuesAndLines) {
    const LinkTexts d;
    const std::string a100(100, 'a');
    const ConfigCase cases[] = {
        {"QVRH", {d.author, "", d.mail}},  // a key alone empties its link
        {"qvrhhttp://x\r\n", d},           // keys are case-sensitive
        {"AUTH" + a100 + "\r\n", {a100.substr(0, 80), d.home, d.mail}},
        {"MAILmailto:a\r\nMAILmailto:b\r\n", {d.author, d.home, "mailto:b"}},
        {"QVRH=http://x\r\n",
         {d.author, "=http://x", d.mail}},  // nothing between key and value, nothing trimmed
        {"AUT\r\nXXXXhttp://x\r\n", d},
        {"QVRHa\nb\rAUTHc", {"c", "a", d.mail}},  // the line reader's line ends
    };
    test::TempDir dir;
    for (const ConfigCase& c : cases) {
        std::string path = dir.write("QVR32.CFG", c.file);
        LinkTexts links;
        apply_config_file(path, links);
        EXPECT_EQ(c.expected.author, links.author) << c.file;
        EXPECT_EQ(c.expected.home, links.home) << c.file;
        EXPECT_EQ(c.expected.mail, links.mail) << c.file;
    }
}

}  // namespace
}  // namespace qvr
