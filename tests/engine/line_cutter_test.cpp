#include "engine/line_cutter.h"

#include <gtest/gtest.h>

#include "engine/extract_job.h"

namespace qvr {
namespace {

struct CutCase {
    std::vector<FieldSlice> slices;
    std::string separator;
    bool trim;
    std::string line, expected;
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

// UTF-8 columns ("é" 2 bytes, "€" 3, "😀" 4; a stray or cut-short byte one column each), then quoting.
TEST(LineCutter, Utf8ColumnsAreCharactersAndQuotedFieldsAreRfc4180) {
    const std::string e = "\xc3\xa9", euro = "\xe2\x82\xac", smile = "\xf0\x9f\x98\x80";
    const std::pair<CutCase, bool> cases[] = {
        {{{{1, 2}, {3, 2}}, ";", false, e + "a" + euro + smile + "z", e + "a;" + euro + smile}, false},
        {{{{2, 3}}, ";", false, "\xff" + e + "\xff" + smile, e + "\xff" + smile}, false},
        {{{{1, 1}, {2, 1}, {3, 1}}, ";", false, "\xe2\x82" + e, "\xe2;\x82;" + e}, false},
        {{{{4, 9}}, ";", true, "ab" + e + "  " + euro + " ", euro}, false},
        {{{{3, 1}, {1, 1}}, ";", false, e + "a" + euro, euro + ";" + e}, false},  // a field before the last
        {{{{10, 2}, {20, 1}}, ";", false, "abcdefghi" + e + "x" + smile, e + "x;"}, false},
        {{{{1, 3}, {4, 3}}, ";", false, "a;" + e + "\"d", "\"a;" + e + "\";\"\"\"d\""}, true},
        {{{{1, 2}, {3, 2}}, "<>", false, "<>x>", "\"<>\"<>x>"}, true},
        {{{{1, 9}}, "\t", true, " a\rb\nc ", "\"a\rb\nc\""}, true},
        {{{{1, 9}}, "", false, "a;b", "a;b"}, true},
    };
    std::string out;
    for (const auto& [c, quote] : cases) {
        LineCutter(c.slices, c.separator, c.trim, TextEncoding::utf8, quote).cut(c.line, out);
        EXPECT_EQ(c.expected, out) << "line '" << c.line << "'";
    }
    EXPECT_EQ("Nb;\"a;b\";\"q\"\"\";plain", header_line({" a;b ", "q\"", "plain"}, ";", true, true));
}

TEST(LineFilter, ContainsAndBoundsCompareBytes) {
    const std::tuple<LineFilter, std::string, bool> cases[] = {
        {{"", "", ""}, "", true},          {{"AB", "", ""}, "ab", false},    {{"AB", "", ""}, "xABx", true},
        {{"", "M", ""}, "M", true},        {{"", "M", ""}, "m", true},       {{"", "M", ""}, "L", false},
        {{"", "", "C"}, "C;x", false},  // the separator is part of what is compared
        {{"", "", "C"}, "C", true},        {{"", "\x7f", ""}, "\xe9", true},  // bytes compare unsigned
        {{"", "", "\x7f"}, "\xe9", false},
    };
    for (const auto& [filter, cut_line, passes] : cases)
        EXPECT_EQ(passes, filter.passes(cut_line)) << cut_line;
}

}  // namespace
}  // namespace qvr
