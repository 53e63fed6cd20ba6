#include "common/line_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/file_error.h"
#include "common/whole_text.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

using Lines = std::vector<std::string>;

Lines lines_by_line(const std::string& path, std::size_t block) {
    LineReader reader(path, block);
    Lines out;
    std::string_view line;
    while (reader.next(line)) out.emplace_back(line);
    return out;
}

Lines lines_whole(std::string_view text) {
    WholeTextLines lines(text);
    Lines out;
    std::string_view line;
    while (lines.next(line)) out.emplace_back(line);
    EXPECT_EQ(out.size(), WholeTextLines(text).count()) << "count disagrees for '" << text << "'";
    return out;
}

struct LineEndCase {
    std::string text;
    Lines by_line;  // CR LF, lone CR, lone LF end a line; Ctrl+Z ends the file
    Lines whole;    // CR LF, lone CR, lone LF end a line; NUL ends the text
};

const LineEndCase kCases[] = {
    {"", {}, {}},
    {"abc\r\ndef", {"abc", "def"}, {"abc", "def"}},
    {"abc\rdef\r", {"abc", "def"}, {"abc", "def"}},
    {"abc\ndef\n", {"abc", "def"}, {"abc", "def"}},
    {"a\n\rb", {"a", "", "b"}, {"a", "", "b"}},
    {"\n\r\n\r", {"", "", ""}, {"", "", ""}},
    {"\r\n", {""}, {""}},
    {"\r\r\n", {"", ""}, {"", ""}},
    {"ab\x1a"
     "cd\r\n",
     {"ab"},
     {"ab\x1a"
      "cd"}},
    {"ab\r\n\x1a", {"ab"}, {"ab", "\x1a"}},
    {"\x1a", {}, {"\x1a"}},
    {std::string("ab\0cd\r\nef", 9), {std::string("ab\0cd", 5), "ef"}, {"ab"}},
    {std::string("\0", 1), {std::string("\0", 1)}, {}},
};

TEST(LineReaders, EveryLineEndCase) {
    test::TempDir dir;
    for (const LineEndCase& c : kCases) {
        std::string path = dir.write("in.txt", c.text);
        // Block sizes of 1 and 2 put every line end across a block boundary.
        for (std::size_t block : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{1} << 20})
            EXPECT_EQ(c.by_line, lines_by_line(path, block))
                << "block " << block << " text '" << c.text << "'";
        EXPECT_EQ(c.whole, lines_whole(c.text)) << "text '" << c.text << "'";
    }
}

// Line ends are found sixteen bytes at a time: put each kind at every position of the first few blocks.
TEST(LineReaders, LineEndsAtEveryPositionOfAScanBlock) {
    test::TempDir dir;
    for (std::size_t k = 0; k <= 40; ++k) {
        const std::string x(k, 'x');
        const std::string y(40 - k, 'y');
        const Lines both = {x, y};
        const std::pair<std::string, std::pair<Lines, Lines>> cases[] = {
            {x + "\r\n" + y, {both, both}},
            {x + "\r" + y, {both, both}},
            {x + "\n" + y, {both, both}},
        };
        for (const auto& [text, lines] : cases) {
            EXPECT_EQ(lines.first, lines_by_line(dir.write("in.txt", text + "\r"), 1 << 17)) << k;
            EXPECT_EQ(lines.second, lines_whole(text + "\r")) << k;
        }
        EXPECT_EQ(Lines(1, x + "\x1a" + y), lines_whole(x + "\x1a" + y)) << k;
        EXPECT_EQ(Lines(1, x + "!"), lines_by_line(dir.write("in.txt", x + "!\x1a" + y), 1 << 17)) << k;
    }
}

TEST(LineReaders, LongLinesAndByteCount) {
    test::TempDir dir;
    std::string big(3'000'000, 'x');
    LineReader reader(dir.write("big.txt", big + "\r\nshort\r\n" + big), 4096);
    std::string_view line;
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(big.size(), line.size());
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ("short", line);
    EXPECT_EQ(big.size() + 9, reader.bytes_read());
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(big, line);
    EXPECT_FALSE(reader.next(line));
    EXPECT_EQ(2 * big.size() + 9, reader.bytes_read());
}

TEST(LineReaders, ALineLongerThanTheLimitIsRefusedInsteadOfHeld) {
    test::TempDir dir;
    const std::string path = dir.write("long.txt", "short\r\n" + std::string(100, 'x') + "\r\nnext\r\n");
    LineReader reader(path, 16);
    reader.set_max_line_length(50);  // lines span the small blocks, so they are held while they are read
    std::string_view line;
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ("short", line);
    EXPECT_THAT([&] { reader.next(line); },
                testing::ThrowsMessage<FileError>("Cannot read file " + path + ". Cannot allocate memory"));
}

TEST(LineReaders, AKeptPrefixCutsLinesWithoutHoldingTheRest) {
    test::TempDir dir;
    const std::string path =
        dir.write("long.txt", "0123456789\r\nab\r\n" + std::string(100, 'x') + "\r\nend");
    for (std::size_t block : {std::size_t{3}, std::size_t{16}, std::size_t{1} << 20}) {
        LineReader reader(path, block);
        reader.keep_line_prefix(4);
        reader.set_max_line_length(4);  // a held line longer than the prefix would be refused
        Lines lines;
        std::string_view line;
        while (reader.next(line)) lines.emplace_back(line);
        EXPECT_EQ((Lines{"0123", "ab", "xxxx", "end"}), lines) << "block " << block;
        EXPECT_EQ(121u, reader.bytes_read());
    }
}

}  // namespace
}  // namespace qvr
