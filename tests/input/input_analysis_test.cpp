#include "input/input_analysis.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <random>
#include <string>

#include "common/file_error.h"
#include "common/line_reader.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

using test::TempDir;

/// A file of `size` bytes that takes no room on disk: all NUL bytes, no carriage return, so one line.
std::string sparse_file(const TempDir& dir, const std::string& name, std::int64_t size) {
    const std::string path = dir.write(name, "");
    EXPECT_EQ(0, ::truncate(path.c_str(), size));
    return path;
}

std::string repeated(const std::string& text, int times) {
    std::string out;
    out.reserve(text.size() * static_cast<std::size_t>(times));
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

TEST(InputAnalysis, CountsLinesAsTheLineByLineReaderReadsThem) {
    struct Case {
        std::string bytes;
        std::int64_t lines;
    };
    const Case cases[] = {
        {"", 0},
        {"abc", 1},
        {"abc\r\n", 1},
        {"abc\r", 1},
        {"\r\n", 1},
        {"a\r\nb\r\n", 2},
        {"a\r\n\r\n", 2},
        {"a\r\r", 2},
        {"a\nb\nc\n", 1},  // a line feed alone ends no line
        {"\n", 1},
        {"a\r\n\nb", 2},  // only the first line feed belongs to the line end
        {"a\r\nb\x1a\r\nc\r\n", 2},
        {"\x1a"
         "abc\r\n",
         0},
        {"a\r\n\x1a", 1},
        {std::string("a\0b\r\n", 5), 1},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const std::string path = dir.write("in.txt", c.bytes);
        for (std::size_t block : {1u, 2u, 3u, 1u << 20})
            EXPECT_EQ(c.lines, count_input_lines(path, block))
                << "'" << c.bytes << "' in blocks of " << block;
    }
}

TEST(InputAnalysis, CountAgreesWithTheLineReaderAcrossBlockBoundaries) {
    // Line ends, line feeds and Ctrl+Z land on every position of a block somewhere in this text.
    std::mt19937 random(6);
    const char alphabet[] = {'a', 'b', '\r', '\n', '\r', '\n', 'c'};
    std::string bytes;
    for (int i = 0; i < 20000; ++i) bytes += alphabet[random() % sizeof alphabet];
    bytes += '\x1a';
    bytes += "after\r\n";
    TempDir dir;
    const std::string path = dir.write("random.txt", bytes);
    const auto expected = static_cast<std::int64_t>(read_all_lines(path).size());
    for (std::size_t block : {1u, 2u, 5u, 64u, 4096u, 1u << 20})
        EXPECT_EQ(expected, count_input_lines(path, block)) << "blocks of " << block;
}

TEST(InputAnalysis, TenLinesOfEightyCharactersGiveAThreeLineReport) {
    TempDir dir;
    const std::string path = dir.write("ten.txt", repeated(std::string(80, 'x') + "\r\n", 10));
    EXPECT_EQ(820, input_file_size(path));
    EXPECT_EQ(10, count_input_lines(path));
    EXPECT_EQ("Input file...\n\rSize (bytes): 820\n\rLines: 10", analysis_message(820, 10));
}

TEST(InputAnalysis, RecommendsTheFastExtractAboveTheThresholds) {
    TempDir dir;
    struct Case {
        std::string path;
        std::int64_t size;
        std::int64_t lines;
        bool big;
    };
    const Case cases[] = {
        {dir.write("150000.txt", repeated("x\r\n", 150'000)), 450'000, 150'000, false},
        {dir.write("150001.txt", repeated("x\r\n", 150'001)), 450'003, 150'001, true},
        {sparse_file(dir, "30000000.txt", 30'000'000), 30'000'000, 1, false},
        {sparse_file(dir, "30000001.txt", 30'000'001), 30'000'001, 1, true},
        {dir.write("empty.txt", ""), 0, 0, false},
    };
    for (const Case& c : cases) {
        const std::int64_t size = input_file_size(c.path);
        const std::int64_t lines = count_input_lines(c.path);
        EXPECT_EQ(c.size, size) << c.path;
        EXPECT_EQ(c.lines, lines) << c.path;
        EXPECT_EQ(c.big, is_big_input(size, lines)) << c.path;
    }
    EXPECT_EQ(
        "Input file...\n\rSize (bytes): 450003\n\rLines: 150001\n\r"
        "For time saving, checking \"Fast extract\" recommended",
        analysis_message(450'003, 150'001));
    EXPECT_EQ("Input file...\n\rSize (bytes): 30000000\n\rLines: 1", analysis_message(30'000'000, 1));
}

TEST(InputAnalysis, FiguresBeyondTwoGibibytesStayExact) {
    TempDir dir;
    const std::string path = sparse_file(dir, "huge.txt", 5'368'709'123);
    EXPECT_EQ(5'368'709'123, input_file_size(path));
    EXPECT_EQ(
        "Input file...\n\rSize (bytes): 5368709123\n\rLines: 3000000000\n\r"
        "For time saving, checking \"Fast extract\" recommended",
        analysis_message(5'368'709'123, 3'000'000'000));
}

TEST(InputAnalysis, UnreadableFilesGiveTheSystemsMessage) {
    TempDir dir;
    const std::string missing = dir.file("missing.txt");
    try {
        input_file_size(missing);
        ADD_FAILURE() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ("Cannot open file " + missing + ". No such file or directory", std::string(e.what()));
    }
    try {
        count_input_lines(dir.path());
        ADD_FAILURE() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ("Cannot open file " + dir.path() + ". Is a directory", std::string(e.what()));
    }
}

}  // namespace
}  // namespace qvr
