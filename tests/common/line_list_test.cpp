#include "common/line_list.h"

#include <gtest/gtest.h>

#include "common/whole_text.h"

namespace qvr {
namespace {

using Lines = std::vector<std::string>;

Lines lines_of(const LineList& list) {
    Lines out;
    for (std::size_t i = 0; i < list.size(); ++i) out.emplace_back(list[i]);
    return out;
}

Lines whole_text_lines(const std::string& text, LineList& list) {
    list.assign_text(text, LineList::Ends::whole_text);
    return lines_of(list);
}

Lines read_by_extract(const std::string& text) {
    Lines out;
    WholeTextLines reader(text);
    std::string_view line;
    while (reader.next(line)) out.emplace_back(line);
    return out;
}

// Taken whole, a text has the lines the standard extract's reader finds; taken at any break, a byte 0 is
// kept.
TEST(LineList, TakesATextWholeAtEveryKindOfLineEnd) {
    const std::pair<std::string, Lines> cases[] = {
        {"", {}},
        {"a\r\n\r\n", {"a", ""}},
        {"a\rb\nc\r\nd", {"a", "b", "c", "d"}},
        {"\n\r", {"", ""}},
        {std::string("a\0b\r\nc", 6), {std::string("a\0b", 3), "c"}},
        {std::string(40, 'x') + "\r\n" + std::string(17, 'y'), {std::string(40, 'x'), std::string(17, 'y')}},
    };
    for (const auto& [text, any_break] : cases) {
        LineList list;
        EXPECT_EQ(read_by_extract(text), whole_text_lines(text, list));
        list.assign_text(text, LineList::Ends::any_break);
        EXPECT_EQ(any_break, lines_of(list));
    }
}

TEST(LineList, BlocksGoInBeforeLinesAndComeOutAgain) {
    LineList list;
    list.assign({"l0", "l1", "l2", "l3", "l4"});
    list.insert_before({4, 0, 2}, {"--", "12"});
    EXPECT_EQ((Lines{"--", "12", "l0", "l1", "--", "12", "l2", "l3", "--", "12", "l4"}), lines_of(list));
    list.erase_runs({8, 0, 4}, 2);
    EXPECT_EQ((Lines{"l0", "l1", "l2", "l3", "l4"}), lines_of(list));
    list.append("longest line");
    list.erase_runs({5}, 4);  // a run past the end takes what there is
    EXPECT_EQ((Lines{"l0", "l1", "l2", "l3", "l4"}), lines_of(list));
    EXPECT_EQ(2u, list.longest());
}

TEST(LineList, PlacesCountALineBreakAsOneCharacter) {
    LineList list;
    list.assign({"line 1", "", "line 3"});
    EXPECT_EQ(14u, list.length());
    struct Case {
        std::size_t line, column;
        std::uint64_t position;
    };
    const Case cases[] = {{0, 0, 0}, {0, 6, 6}, {0, 99, 6}, {1, 0, 7}, {2, 0, 8}, {2, 6, 14}, {9, 0, 8}};
    for (const Case& c : cases) EXPECT_EQ(c.position, list.position_of(c.line, c.column));
    const std::pair<std::uint64_t, std::pair<std::size_t, std::size_t>> places[] = {
        {0, {0, 0}}, {6, {0, 6}}, {7, {1, 0}}, {8, {2, 0}}, {14, {2, 6}}, {99, {2, 6}}};
    for (const auto& [position, place] : places) {
        std::size_t line = 7;
        std::size_t column = 7;
        list.place_of(position, line, column);
        EXPECT_EQ(place, std::make_pair(line, column)) << position;
    }
}

// A big text is split on two cores from a line start past its middle; wherever the middle falls (inside a
// CR LF too), the lines are those the standard extract's reader finds.
TEST(LineList, ABigTextSplitsOnTwoCoresAsOnOne) {
    const char* const ends[] = {"\r\n", "\r", "\n", "\r\n\r\n"};
    std::string body;
    for (std::size_t i = 0; body.size() < (std::size_t{5} << 20); ++i)
        body += std::string(i % 61, static_cast<char>('a' + i % 26)) + ends[i % 4];
    LineList list;
    for (std::size_t shift = 0; shift < 4; ++shift) {
        const std::string text = std::string(shift, 'p') + body + "tail";
        EXPECT_EQ(read_by_extract(text), whole_text_lines(text, list)) << shift;
        EXPECT_EQ(60u, list.longest());
    }
    // A byte 0 in either half ends the text there.
    for (std::size_t at : {body.size() / 4, body.size() * 3 / 4}) {
        std::string text = body;
        text[at] = '\0';
        EXPECT_EQ(read_by_extract(text), whole_text_lines(text, list)) << at;
    }
}

}  // namespace
}  // namespace qvr
