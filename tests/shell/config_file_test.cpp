#include "shell/config_file.h"

#include <gtest/gtest.h>

#include "shell/link_check.h"
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

}  // namespace
}  // namespace qvr
