#include "input/input_analysis.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "support/file_faults.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

using test::repeated;
using test::TempDir;

TEST(InputAnalysis, CountsLinesAsTheLineByLineReaderReadsThem) {
    const std::pair<std::string, std::int64_t> cases[] = {
        {"", 0},
        {"abc\r", 1},
        {"\r\n", 1},
        {"a\r\n\r\n", 2},
        {"a\r\r", 2},
        {"a\nb\nc\n", 3},  // a line feed alone ends a line
        {"a\r\n\nb", 3},   // only the first line feed belongs to the CR
        {"a\r\nb\x1a\r\nc\r\n", 2},
        {"\x1a"
         "abc\r\n",
         0},
        {"a\r\n\x1a", 1},
        {std::string("a\0b\r\n", 5), 1},
    };
    TempDir dir;
    for (const auto& [bytes, lines] : cases) {
        const std::string path = dir.write("in.txt", bytes);
        for (std::size_t block : {1u, 2u, 3u, 1u << 20})
            EXPECT_EQ(lines, count_input_lines(path, block)) << "'" << bytes << "' in blocks of " << block;
    }
}

TEST(InputAnalysis, MeasuresLineLengthsInTheSamePassAcrossBlocks) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"abc\r\nde\r\nfg\r\nhijkl", "shortest 2 (2 lines), longest 5 (1 line), most common 2 (2 lines)"},
        {"a\nb\r\n\r\n", "shortest 0 (1 line), longest 1 (2 lines), most common 1 (2 lines)"},  // LF ends a line
        {"abcd\x1a"
         "efgh\r\n",
         "shortest 4 (1 line), longest 4 (1 line), most common 4 (1 line)"},
    };
    TempDir dir;
    for (const auto& [bytes, text] : cases) {
        const std::string path = dir.write("in.txt", bytes);
        for (std::size_t block : {1u, 3u, 1u << 20}) {
            const InputLines lines = measure_input_lines(path, block);
            EXPECT_EQ(count_input_lines(path, block), lines.count);
            EXPECT_EQ(text.empty() ? "" : "Line length: " + text, lines.lengths.text()) << block;
        }
    }
}

TEST(InputAnalysis, RecommendsTheFastExtractAboveTheThresholds) {
    TempDir dir;
    struct Case {
        std::string path;
        std::int64_t size;
        std::int64_t lines;
        std::string message;
    };
    const std::string recommended = "\n\rFor time saving, checking \"Fast extract\" recommended";
    const Case cases[] = {
        {dir.write("ten.txt", repeated(std::string(80, 'x') + "\r\n", 10)), 820, 10,
         "Input file...\n\rSize (bytes): 820\n\rLines: 10"},
        {dir.write("150000.txt", repeated("x\r\n", 150'000)), 450'000, 150'000,
         "Input file...\n\rSize (bytes): 450000\n\rLines: 150000"},
        {dir.write("150001.txt", repeated("x\r\n", 150'001)), 450'003, 150'001,
         "Input file...\n\rSize (bytes): 450003\n\rLines: 150001" + recommended},
        {test::make_sparse_file(dir.file("30000000.txt"), 30'000'000, "", ""), 30'000'000, 1,
         "Input file...\n\rSize (bytes): 30000000\n\rLines: 1"},
        {test::make_sparse_file(dir.file("30000001.txt"), 30'000'001, "", ""), 30'000'001, 1,
         "Input file...\n\rSize (bytes): 30000001\n\rLines: 1" + recommended},
    };
    for (const Case& c : cases) {
        const std::int64_t size = input_file_size(c.path);
        const std::int64_t lines = count_input_lines(c.path);
        EXPECT_EQ(c.size, size) << c.path;
        EXPECT_EQ(c.lines, lines) << c.path;
        EXPECT_EQ(c.message, analysis_message(size, lines)) << c.path;
    }
}

TEST(InputAnalysis, FiguresBeyondTwoGibibytesStayExact) {
    TempDir dir;
    EXPECT_EQ(5'368'709'123,
              input_file_size(test::make_sparse_file(dir.file("huge.txt"), 5'368'709'123, "", "")));
    EXPECT_EQ(
        "Input file...\n\rSize (bytes): 5368709123\n\rLines: 3000000000\n\r"
        "For time saving, checking \"Fast extract\" recommended",
        analysis_message(5'368'709'123, 3'000'000'000));
}

}  // namespace
}  // namespace qvr
