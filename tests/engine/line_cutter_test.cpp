#include "engine/line_cutter.h"

#include <gtest/gtest.h>

namespace qvr {
namespace {

struct CutCase {
    std::vector<FieldSlice> slices;
    std::string separator;
    bool trim;
    std::string line;
    std::string expected;
};

TEST(LineCutter, CutsJoinsAndTrims) {
    const CutCase cases[] = {
        {{{1, 3}, {4, 2}}, ";", false, "ABCDEFGH", "ABC;DE"},
        {{{1, 3}, {4, 2}}, ";", false, "AB", "AB;"},
        {{{5, 4}}, ";", false, "1234567", "567"},
        {{{-2, 3}}, ";", false, "ABCDEF", "ABC"},                  // a start below 1 counts as column 1
        {{{2, 0}, {2, -1}, {2, 1}}, ";", false, "ABCDEF", ";;B"},  // no length, no field
        {{{9, 2}}, ";", false, "ABCDEFGH", ""},                    // start one past the end
        {{{1, 5}}, ";", true, "  x\t ", "x"},
        {{{1, 5}}, ";", true, "\x01\x1f \x7f", "\x7f"},  // 127 is no blank
        {{{1, 1}, {2, 1}, {3, 1}, {4, 1}}, ";", false, "", ";;;"},
        {{{1, 1}, {2, 1}}, "<->", false, "AB", "A<->B"},
        {{{1, 1}, {2, 1}, {9, 1}}, "", false, "AB", "AB"},
        {{{1, 2147483647}}, ";", false, "AB", "AB"},
        {{{2147483647, 2147483647}}, ";", false, "AB", ""},
        {{{-2147483647 - 1, 1}}, ";", false, "AB", "A"},
    };
    std::string out = "stale";
    for (const CutCase& c : cases) {
        LineCutter cutter(c.slices, c.separator, c.trim);
        cutter.cut(c.line, out);
        EXPECT_EQ(c.expected, out) << "line '" << c.line << "'";
    }
}

// Trimming looks at eight bytes at a time: runs of padding across word edges, bytes above 127 beside blanks
// (which must not carry into their neighbours), and fields of exactly one or two words.
TEST(LineCutter, TrimsLongPaddingAndHighBytes) {
    const std::pair<std::string, std::string> cases[] = {
        {"Dupont              ", "Dupont"},
        {"                 ", ""},
        {"ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMNOP"},
        {"        \xe9", "\xe9"},
        {"\xff\xff\xff\xff\xff\xff\xff \x20\x20", "\xff\xff\xff\xff\xff\xff\xff"},
        {"\xa0 x \xa0", "\xa0 x \xa0"},  // a no-break space is no blank
        {"\t\r\n\x01\x1f \x02\x03 x \x04\x05\x06\x07\x08\x10\x11\x12", "x"},
        {"  a       b       c  ", "a       b       c"},
        {std::string("\0\0\0\0\0\0\0\0\0z", 10), "z"},
    };
    std::string out;
    for (const auto& [field, expected] : cases) {
        LineCutter cutter({{1, 100}, {1, 100}}, "|", true);
        cutter.cut(field, out);
        EXPECT_EQ(expected + "|" + expected, out) << "field '" << field << "'";
        EXPECT_EQ(expected, std::string(trim_blanks(field)));
    }
}

TEST(LineFilter, ContainsAndBoundsCompareBytes) {
    struct Case {
        LineFilter filter;
        std::string cut_line;
        bool passes;
    };
    const Case cases[] = {
        {{"", "", ""}, "", true},          {{"AB", "", ""}, "ab", false},    {{"AB", "", ""}, "xABx", true},
        {{"", "M", ""}, "M", true},        {{"", "M", ""}, "m", true},       {{"", "M", ""}, "L", false},
        {{"", "", "C"}, "C;x", false},  // the separator is part of what is compared
        {{"", "", "C"}, "C", true},        {{"", "\x7f", ""}, "\xe9", true},  // bytes compare unsigned
        {{"", "", "\x7f"}, "\xe9", false},
    };
    for (const Case& c : cases) EXPECT_EQ(c.passes, c.filter.passes(c.cut_line)) << "'" << c.cut_line << "'";
}

}  // namespace
}  // namespace qvr
