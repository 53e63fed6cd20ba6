#include "input/column_ruler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/file_faults.h"

namespace qvr {
namespace {

using test::repeated;

std::vector<std::string> input_lines(std::size_t count) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < count; ++i) lines.push_back("line " + std::to_string(i + 1));
    return lines;
}

TEST(ColumnRuler, BlockLinesFollowTheLongestLine) {
    struct Case {
        std::size_t longest;
        std::string dashes;
        std::string tens;
        std::string units;
    };
    const Case cases[] = {
        {0, "", "", ""},
        {10, "----------", "(rule)   1", "1234567890"},
        {11, "-----------", "(rule)   1         2", "12345678901234567890"},
        {25, std::string(25, '-'), "(rule)   1         2         3", repeated("1234567890", 3)},
        {105, std::string(105, '-'),
         "(rule)   1         2         3         4         5         6         7         8         9        "
         "10"
         "        11",
         repeated("1234567890", 11)},
    };
    for (const Case& c : cases) {
        const auto block = ruler_block(c.longest);
        EXPECT_EQ(c.dashes, block[0]) << c.longest;
        EXPECT_EQ(c.tens, block[1]) << c.longest;
        EXPECT_EQ(c.units, block[2]) << c.longest;
        EXPECT_EQ(c.dashes, block[3]) << c.longest;
    }
}

TEST(ColumnRuler, BlocksFollowTheLineCountAndComeOutAgain) {
    struct Case {
        std::size_t input_lines;
        std::size_t ruled_lines;
        std::vector<std::size_t> block_starts;
    };
    const Case cases[] = {
        {0, 0, {}},
        {1, 5, {0}},
        {20, 24, {0}},
        {21, 29, {0, 24}},
        {40, 48, {0, 24}},
        {45, 57, {0, 24, 48}},
        {101, 125, {0, 24, 48, 72, 96, 120}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines = input_lines(c.input_lines);
        insert_column_ruler(lines);
        EXPECT_EQ(c.ruled_lines, lines.size()) << c.input_lines;
        std::vector<std::size_t> starts;
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (lines[i].starts_with("(rule)")) starts.push_back(i - 1);
        EXPECT_EQ(c.block_starts, starts) << c.input_lines;
        remove_column_ruler(lines);
        EXPECT_EQ(input_lines(c.input_lines), lines) << c.input_lines;
    }
}

}  // namespace
}  // namespace qvr
