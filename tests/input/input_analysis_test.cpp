#include "input/input_analysis.h"

#include <gtest/gtest.h>

#include <set>

#include "common/char_map.h"
#include "fields/definition_file.h"
#include "input/column_ruler.h"
#include "input/cut_preview.h"
#include "input/view_chars.h"
#include "support/file_faults.h"
#include "support/temp_dir.h"

namespace qvr::test {
namespace {

using namespace std::string_literals;

// A line feed alone ends a line; only the first line feed after a CR belongs to it. The lengths are
// measured in the same pass, across blocks too.
TEST(InputAnalysis, CountsLinesAsTheLineByLineReaderReadsThem) {
    const std::tuple<std::string, std::int64_t, std::string> cases[] = {
        {"", 0, ""},
        {"a\r\n\r\n", 2, "shortest 0 (1 line), longest 1 (1 line), most common 0 (1 line)"},
        {"a\r\r", 2, "shortest 0 (1 line), longest 1 (1 line), most common 0 (1 line)"},
        {"a\nb\nc\n", 3, "shortest 1 (3 lines), longest 1 (3 lines), most common 1 (3 lines)"},
        {"a\r\n\nb", 3, "shortest 0 (1 line), longest 1 (2 lines), most common 1 (2 lines)"},
        {"a\r\nb\x1a\r\nc\r\n", 2, "shortest 1 (2 lines), longest 1 (2 lines), most common 1 (2 lines)"},
        {"\032abc\r\n", 0, ""},
        {"a\r\n\x1a", 1, "shortest 1 (1 line), longest 1 (1 line), most common 1 (1 line)"},
        {"a\0b\r\n"s, 1, "shortest 3 (1 line), longest 3 (1 line), most common 3 (1 line)"},
        {"abc\r\nde\r\nfg\r\nhijkl", 4, "shortest 2 (2 lines), longest 5 (1 line), most common 2 (2 lines)"},
        {"a\nb\r\n\r\n", 3, "shortest 0 (1 line), longest 1 (2 lines), most common 1 (2 lines)"}};
    TempDir dir;
    for (const auto& [bytes, count, lengths] : cases) {
        const std::string path = dir.write("in.txt", bytes);
        for (std::size_t block : {1u, 2u, 3u, 1u << 20}) {
            EXPECT_EQ(count, count_input_lines(path, block)) << "'" << bytes << "' in blocks of " << block;
            const InputLines lines = measure_input_lines(path, block);
            EXPECT_EQ(count, lines.count);
            EXPECT_EQ(lengths.empty() ? "" : "Line length: " + lengths, lines.lengths.text()) << block;
        }
    }
}

// In UTF-8 a line is as long as its columns are: characters (the byte order mark none), a byte that
// starts no character one, also when a block's end cuts a character.
TEST(InputAnalysis, MeasuresAUtf8InputInCharactersAcrossBlocks) {
    const std::pair<std::string, std::string> cases[] = {
        {"\xEF\xBB\xBF\xC3\xA9\r\n", "shortest 1 (1 line), longest 1 (1 line), most common 1 (1 line)"},
        {"\xC3\xA9t\xC3\xA9\r\nab", "shortest 2 (1 line), longest 3 (1 line), most common 2 (1 line)"},
        {"\xE2\x82\xAC\xF0\x9F\x98\x80\xC3",
         "shortest 3 (1 line), longest 3 (1 line), most common 3 (1 line)"},
        {"a\xC3\r\n\xE2\x82"
         "A\n",
         "shortest 2 (1 line), longest 3 (1 line), most common 2 (1 line)"}};
    TempDir dir;
    for (const auto& [bytes, lengths] : cases) {
        const std::string path = dir.write("in.txt", bytes);
        for (std::size_t block : {1u, 2u, 3u, 5u, 1u << 20})
            EXPECT_EQ("Line length: " + lengths,
                      measure_input_lines(path, block, TextEncoding::utf8).lengths.text())
                << block;
    }
}

// The fast extract is recommended above the thresholds; figures past 32 bits stay exact.
TEST(InputAnalysis, FiguresBeyondTwoGibibytesStayExact) {
    const std::tuple<std::int64_t, std::int64_t, bool> cases[] = {
        {820, 10, false},       {450'000, 150'000, false}, {450'003, 150'001, true},
        {30'000'000, 1, false}, {30'000'001, 1, true},     {5'368'709'123, 3'000'000'000, true}};
    for (const auto& [size, lines, big] : cases)  // a big one with line lengths, the others without
        EXPECT_EQ(
            "Input file...\n\rSize (bytes): " + std::to_string(size) + "\n\rLines: " + std::to_string(lines) +
                (big ? "\n\rFor time saving, checking \"Fast extract\" recommended\n\rLine length: x" : ""),
            analysis_message(size, lines, big ? "Line length: x" : ""));
    TempDir dir;
    EXPECT_EQ(5'368'709'123, input_file_size(make_sparse_file(dir.file("huge.txt"), 5'368'709'123, "", "")));
}

// The window's tests show the cut itself; here, that the preview reads no more than its lines.
TEST(CutPreview, ReadsOnlyTheFirstLinesAndOnlyTheColumnsCut) {
    TempDir dir;
    FieldTable table;
    table.assign_rows({{"code", "1", "3", ""}, {"far", "30", "2", ""}});
    using Cells = std::vector<std::vector<std::string>>;
    EXPECT_EQ((Cells{{"x", ""}, {"y", ""}}),
              cut_preview(dir.write("in.txt", "x\r\ny\r\nz\r\n"), table, false, 2).rows);
    // A line without end is passed over past the columns cut, not held whole.
    const std::string one = dir.write("one.txt", std::string(64 << 20, 'x'));
    test::reset_peak_memory();
    const std::int64_t before = test::peak_memory();
    EXPECT_EQ((Cells{{"xxx", "xx"}}), cut_preview(one, table, false).rows);
    EXPECT_GT(16 << 20, test::peak_memory() - before);
}

// In UTF-8 a column is a character: the README's example converted to UTF-8 previews as the original
// does, cell for cell, its accents whole and the amounts after them in place.
TEST(CutPreview, CutsAUtf8InputInCharacters) {
    TempDir dir;
    const std::string original = examples_dir() + "customers.txt";
    const std::string utf8 = dir.write("customers.txt", utf8_of_cp1252(read_file(original)));
    FieldTable table;
    table.assign_rows(read_definition_file(examples_dir() + "customers.tab", 1 << 20));
    CutPreview expected = cut_preview(original, table, true, kPreviewLines, TextEncoding::cp1252);
    for (auto& row : expected.rows)
        for (std::string& cell : row) cell = utf8_of_cp1252(cell);
    const CutPreview preview = cut_preview(utf8, table, true, kPreviewLines, TextEncoding::utf8);
    EXPECT_EQ(expected.rows, preview.rows);
    ASSERT_LT(2u, preview.rows.size());
    EXPECT_EQ((std::vector<std::string>{"C00003", "Martinez h\xc3\xa9l\xc3\xa8ne", "Besan\xc3\xa7on",
                                        "20260103", "4547.10"}),
              preview.rows[2]);
}

TEST(ColumnRuler, BlocksFollowTheLongestLineAndTheLineCountAndComeOutAgain) {
    const std::tuple<std::size_t, std::string, std::string> cases[] = {
        {0, "", ""},
        {10, "(rule)   1", "1234567890"},
        {11, "(rule)   1         2", repeated("1234567890", 2)},
        {105,
         "(rule)   1         2         3         4         5         6         7         8" +
             std::string("         9        10        11"),
         repeated("1234567890", 11)}};
    for (const auto& [longest, tens, units] : cases) {
        const std::string dashes(longest, '-');
        EXPECT_EQ((RulerBlock{dashes, tens, units, dashes}), ruler_block(longest)) << longest;
    }
    const std::pair<std::size_t, std::vector<std::size_t>> counts[] = {
        {0, {}}, {1, {0}}, {20, {0}}, {21, {0, 24}}, {45, {0, 24, 48}}};
    for (const auto& [count, block_starts] : counts) {
        std::vector<std::string> input;
        for (std::size_t i = 1; i <= count; ++i) input.push_back("line " + std::to_string(i));
        std::vector<std::string> lines = input;
        insert_column_ruler(lines);
        EXPECT_EQ(count + 4 * block_starts.size(), lines.size()) << count;
        std::vector<std::size_t> starts;
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (lines[i].starts_with("(rule)")) starts.push_back(i - 1);
        EXPECT_EQ(block_starts, starts) << count;
        remove_column_ruler(lines);
        EXPECT_EQ(input, lines) << count;
    }
}

// Each byte keeps a character of its own; only the control bytes (0 to 31, 127 and the five bytes
// Windows-1252 leaves undefined) differ from the common mapping. The stand-ins themselves: the window's test.
TEST(ViewChars, ControlBytesShowAsVisibleStandInsEachItsOwn) {
    std::set<char16_t> all;
    int as_common_mapping = 0;
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        all.insert(view_char(byte));
        as_common_mapping += view_char(byte) == byte_to_char(byte);
    }
    EXPECT_EQ(256u, all.size());
    EXPECT_EQ(256 - 32 - 1 - 5, as_common_mapping);
}

}  // namespace
}  // namespace qvr::test
