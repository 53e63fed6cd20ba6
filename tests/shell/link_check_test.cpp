#include "shell/link_check.h"

#include <gtest/gtest.h>

namespace qvr {
namespace {

TEST(LinkCheck, OnlyWebAndMailLinksGoOut) {
    const std::pair<const char*, bool> cases[] = {
        // clang-format off
        {"http://quarvel.example.org/", true}, {"HTTPS://Quarvel.example.org/", true}, {"MailTo:a@b", true},
        {"mailto:author@quarvel.example.org?subject=About Quarvel 32 bits", true}, {"", false}, {"http", false},
        {"file:///etc/passwd", false}, {"/usr/bin/xterm", false}, {"ftp://quarvel.example.org/", false},
        {"httpx://quarvel.example.org/", false},
        {" https://quarvel.example.org/", false}};  // the value is taken as written, blank first; clang-format on
    for (const auto& [link, allowed] : cases) EXPECT_EQ(allowed, may_open_link(link)) << link;
}

}  // namespace
}  // namespace qvr
