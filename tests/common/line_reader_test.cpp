#include "common/line_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <functional>

#include "common/file_error.h"
#include "common/line_list.h"
#include "common/whole_text.h"
#include "support/file_faults.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

using namespace std::string_literals;
using Lines = std::vector<std::string>;

/// What a LineReader or WholeTextReader hands out.
template <class Reader>
Lines lines_of(Reader&& reader) {
    Lines out;
    for (std::string_view line; reader.next(line);) out.emplace_back(line);
    return out;
}

Lines lines_whole(std::string_view text) {
    Lines out;
    WholeTextLines lines(text);
    for (std::string_view line; lines.next(line);) out.emplace_back(line);
    EXPECT_EQ(out.size(), WholeTextLines(text).count()) << "count disagrees for '" << text << "'";
    return out;
}

// A text, its lines read line by line and its lines loaded whole: CR LF, a lone CR and a lone LF end a line;
// Ctrl+Z ends the file read line by line; NUL is a byte of its line for both.
const std::tuple<std::string, Lines, Lines> kCases[] = {
    {"", {}, {}},
    {"abc\r\ndef", {"abc", "def"}, {"abc", "def"}},
    {"abc\rdef\r", {"abc", "def"}, {"abc", "def"}},
    {"abc\ndef\n", {"abc", "def"}, {"abc", "def"}},
    {"a\n\rb", {"a", "", "b"}, {"a", "", "b"}},
    {"\n\r\n\r", {"", "", ""}, {"", "", ""}},
    {"\r\n", {""}, {""}},
    {"\r\r\n", {"", ""}, {"", ""}},
    {"ab\032cd\r\n", {"ab"}, {"ab\032cd"}},
    {"ab\r\n\x1a", {"ab"}, {"ab", "\x1a"}},
    {"\x1a", {}, {"\x1a"}},
    {"ab\0cd\r\nef"s, {"ab\0cd"s, "ef"}, {"ab\0cd"s, "ef"}},
    {"\0"s, {"\0"s}, {"\0"s}},
};

TEST(LineReaders, EveryLineEndCase) {
    test::TempDir dir;
    for (const auto& [text, by_line, whole] : kCases) {
        const std::string path = dir.write("in.txt", text);
        // Blocks of 1 to 3 bytes put every line end across a block boundary.
        for (std::size_t block : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{1} << 20}) {
            EXPECT_EQ(by_line, lines_of(LineReader(path, block))) << block << " '" << text << "'";
            EXPECT_EQ(whole, lines_of(WholeTextReader(path, block))) << block << " '" << text << "'";
        }
        EXPECT_EQ(whole, lines_whole(text)) << "'" << text << "'";
    }
    // Line ends are found sixteen bytes at a time: put each kind at every position of the first few blocks.
    for (std::size_t k = 0; k <= 40; ++k) {
        const std::string x(k, 'x'), y(40 - k, 'y');
        for (const char* end : {"\r\n", "\r", "\n"}) {
            const std::string text = x + end + y + "\r";
            EXPECT_EQ((Lines{x, y}), lines_of(LineReader(dir.write("in.txt", text)))) << k;
            EXPECT_EQ((Lines{x, y}), lines_whole(text)) << k;
        }
        EXPECT_EQ(Lines{x + "\x1a" + y}, lines_whole(x + "\x1a" + y)) << k;
        EXPECT_EQ(Lines{x + "!"}, lines_of(LineReader(dir.write("in.txt", x + "!\x1a" + y)))) << k;
    }
}

// A line that spans blocks is held whole, up to the longest allowed, or only as far as the kept prefix.
TEST(LineReaders, LongLinesKeptPrefixesAndTheLongestLine) {
    test::TempDir dir;
    const std::string big(3'000'000, 'x'), x(5000, 'x');
    const std::size_t all = SIZE_MAX;
    const std::string refused = "Cannot read file " + dir.file("in.txt") + ". Cannot allocate memory";
    using Read = std::vector<std::pair<std::string, std::uint64_t>>;  // each line, the bytes read after it
    const std::tuple<std::string, std::size_t, std::size_t, Read> cases[] = {
        // text, prefix, longest
        {big + "\r\nshort\r\n" + big, all, all, {{big, 3'000'002}, {"short", 3'000'009}, {big, 6'000'009}}},
        {"short\r\n" + x + "\r\nnext\r\n", all, 50, {{"short", 7}, {refused, 0}}},
        {"012345\r\nab\r\n" + x + "\r\nend", 4, 4, {{"0123", 8}, {"ab", 12}, {"xxxx", 5014}, {"end", 5017}}},
    };
    for (const auto& [text, prefix, longest, expected] : cases)
        for (std::size_t block : {16, 4096}) {
            LineReader reader(dir.write("in.txt", text), block);
            reader.keep_line_prefix(prefix);
            reader.set_max_line_length(longest);
            Read read;
            try {
                for (std::string_view line; reader.next(line);) read.emplace_back(line, reader.bytes_read());
            } catch (const FileError& e) {
                read.emplace_back(e.what(), 0);
            }
            EXPECT_EQ(expected, read) << block << " " << text.substr(0, 10);
        }
}

// A file that grows while it is read is read as far as it went when opened, and says it grew; one that
// tells no size grows as it is read.
TEST(WholeTextReader, AndTheLoaderStopAtTheSizeOfTheOpening) {
    test::TempDir dir;
    const std::string big = test::bytes(0, 255) + std::string(3 * 1024 * 1024 + 17, 'x') + '\r';
    for (const std::string& bytes : {std::string(), std::string("a"), big})
        EXPECT_EQ(bytes, load_whole_file(dir.write("f.txt", bytes)));
    EXPECT_EQ("Name:", load_whole_file("/proc/self/status").substr(0, 5));
    const std::string path = dir.write("f.txt", "a\r\nb\r\n");
    WholeTextReader reader(path, 2);
    std::ofstream(path, std::ios::app) << "c\r\n";
    bool grew = true;
    EXPECT_EQ("a\r\nb\r\nc\r\n", load_whole_file(path, UINT64_MAX, &grew));
    EXPECT_FALSE(grew);
    EXPECT_EQ("a\r\nb", load_whole_file(path, 4, &grew));
    EXPECT_TRUE(grew);
    EXPECT_EQ((Lines{"a", "b"}), lines_of(reader));
    EXPECT_TRUE(reader.grew());
}

Lines list_lines(const LineList& list) {
    Lines out;
    for (std::size_t i = 0; i < list.size(); ++i) out.emplace_back(list[i]);
    return out;
}

Lines taken_whole(const std::string& text, LineList& list) {
    list.assign_text(text);
    return list_lines(list);
}

// Taken whole, a text has the lines of WholeTextLines, and so has its file mapped, up to the lines asked for;
// a byte 0 is kept in its line.
TEST(LineList, TakesATextWholeAtEveryKindOfLineEnd) {
    const std::string x(40, 'x'), y(17, 'y'), page(3 * 4096, 'p');  // a line across pages when mapped
    const std::tuple<std::string, Lines, std::size_t> cases[] = {
        // text, its lines, the most lines mapped
        {"", {}, 9},
        {"a\r\n\r\n", {"a", ""}, 9},
        {"a\rb\nc\r\nd", {"a", "b", "c", "d"}, 9},
        {"a\rb\nc\r\nd", {"a", "b", "c", "d"}, 2},
        {"\n\r", {"", ""}, 9},
        {"a\0b\r\nc"s, {"a\0b"s, "c"}, 9},
        {x + "\r\n" + y, {x, y}, 9},
        {page + "\r\n" + page, {page, page}, 9},
    };
    test::TempDir dir;
    LineList list, mapped;
    for (const auto& [text, lines, max_lines] : cases) {
        const Lines whole = lines_whole(text);
        EXPECT_EQ(lines, whole);
        EXPECT_EQ(whole, taken_whole(text, list));
        const bool all = mapped.assign_file(dir.write("f", text), max_lines);
        EXPECT_EQ(Lines(whole.begin(), whole.begin() + std::min(whole.size(), max_lines)),
                  list_lines(mapped));
        EXPECT_EQ(whole.size() <= max_lines, all) << text.size();
        std::size_t longest_kept = 0;  // of the lines the mapped list holds, in columns (bytes here)
        for (std::size_t i = 0; i < std::min(whole.size(), max_lines); ++i)
            longest_kept = std::max(longest_kept, whole[i].size());
        EXPECT_EQ(longest_kept, mapped.longest()) << text.size();
    }
    mapped.assign_file(dir.write("f", "a\r\nb"), 9);  // and changes as a copy
    mapped.append("c");
    mapped.insert_before({0}, {"0"});
    EXPECT_EQ((Lines{"0", "a", "b", "c"}), list_lines(mapped));
    // Another program shrinking the file under the view: the lost part reads as zeros, the program lives.
    const std::string path = dir.write("f", std::string(4 * 4096, 'a') + "\r\n" + std::string(4 * 4096, 'b'));
    mapped.assign_file(path, 9);
    ASSERT_EQ(0, ::truncate(path.c_str(), 4096));
    EXPECT_EQ(std::string(4096, 'a') + std::string(3 * 4096, '\0'), std::string(mapped[0]));
    EXPECT_EQ(std::string(4 * 4096, '\0'), std::string(mapped[1]));
}

TEST(LineList, BlocksGoInAndComeOutAndPlacesCountALineBreakAsOneCharacter) {
    LineList list;
    list.assign({"l0", "l1", "l2", "l3", "l4"});
    list.insert_before({4, 0, 2}, {"--", "longest line"});
    list.append("end");
    list.erase_runs({8, 0, 4, 11}, 2);  // the last run, past the end, takes what there is
    EXPECT_EQ((Lines{"l0", "l1", "l2", "l3", "l4"}), list_lines(list));
    EXPECT_EQ(2u, list.longest());
    list.assign({"line 1", "", "line 3"});
    EXPECT_EQ(14u, list.length());
    // line, column, position; a place past a line's end or past the last line is clamped
    const std::tuple<std::size_t, std::size_t, std::uint64_t> cases[] = {
        {0, 0, 0}, {0, 6, 6}, {0, 99, 6}, {1, 0, 7}, {2, 0, 8}, {2, 6, 14}, {9, 0, 8}};
    for (const auto& [line, column, position] : cases) EXPECT_EQ(position, list.position_of(line, column));
    const std::tuple<std::uint64_t, std::size_t, std::size_t> places[] = {{0, 0, 0}, {6, 0, 6},  {7, 1, 0},
                                                                          {8, 2, 0}, {14, 2, 6}, {99, 2, 6}};
    for (const auto& [position, line, column] : places) {
        std::size_t l = 7, c = 7;
        list.place_of(position, l, c);
        EXPECT_EQ(std::pair(line, column), std::pair(l, c)) << position;
    }
}

// A big text is split on two cores from a line start past its middle; wherever the middle falls (inside a
// CR LF too), and wherever a byte 0 stands, the lines are those the standard extract's reader finds.
TEST(LineList, ABigTextSplitsOnTwoCoresAsOnOne) {
    const char* const ends[] = {"\r\n", "\r", "\n", "\r\n\r\n"};
    std::string body;
    for (std::size_t i = 0; body.size() < (std::size_t{5} << 20); ++i)
        body += std::string(i % 61, static_cast<char>('a' + i % 26)) + ends[i % 4];
    LineList list;
    for (std::size_t shift = 0; shift < 4; ++shift) {
        const std::string text = std::string(shift, 'p') + body + "tail";
        EXPECT_EQ(lines_whole(text), taken_whole(text, list)) << shift;
        EXPECT_EQ(60u, list.longest());
    }
    for (std::size_t at : {body.size() / 4, body.size() * 3 / 4}) {
        std::string text = body;
        text[at] = '\0';
        EXPECT_EQ(lines_whole(text), taken_whole(text, list)) << at;
    }
}

}  // namespace
}  // namespace qvr
