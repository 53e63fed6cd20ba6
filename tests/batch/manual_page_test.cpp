#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "batch/batch_usage.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

std::set<std::string> options_in(const std::string& text) {
    std::set<std::string> options;
    const std::regex option("--[a-z][a-z-]*");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), option); it != std::sregex_iterator();
         ++it) {
        options.insert(it->str());
    }
    return options;
}

// The manual page is written by hand; it must name exactly the options the program's help names.
TEST(ManualPage, NamesTheOptionsOfTheHelp) {
    std::string page = test::read_file(test::examples_dir() + "/../data/man/quarvel-batch.1");
    ASSERT_NE("<missing>", page);
    page = std::regex_replace(page, std::regex(R"(\\-)"), "-");
    EXPECT_EQ(options_in(help_text()), options_in(page));
}

}  // namespace
}  // namespace qvr
