#include <gtest/gtest.h>

#include <fstream>

#include "common/whole_text.h"
#include "support/file_faults.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

TEST(LoadWholeFile, ReadsEveryByteOfFilesWithAndWithoutASize) {
    test::TempDir dir;
    const std::string big = test::bytes(0, 255) + std::string(3 * 1024 * 1024 + 17, 'x') + '\r';
    for (const std::string& bytes : {std::string(), std::string("a"), big})
        EXPECT_EQ(bytes, load_whole_file(dir.write("f.txt", bytes)));
    // A file that tells no size grows as it is read.
    EXPECT_EQ("Name:", load_whole_file("/proc/self/status").substr(0, 5));
}

}  // namespace
}  // namespace qvr

namespace qvr {
namespace {

std::vector<std::string> read_lines(const std::string& path, std::size_t block) {
    WholeTextReader reader(path, block);
    std::vector<std::string> out;
    std::string_view line;
    while (reader.next(line)) out.emplace_back(line);
    return out;
}

// Read block by block, the lines are those of the text taken whole, wherever a line end falls.
TEST(WholeTextReader, GivesTheLinesOfTheWholeTextInBlocksOfAnySize) {
    test::TempDir dir;
    using namespace std::string_literals;
    for (const std::string& bytes :
         {""s, "a"s, "a\r\nb"s, "\r\r\n\n"s, "ab\r"s, "abc\r\n\rx\ny\r\n"s, "a\nb\0c\r\nd"s}) {
        std::vector<std::string> whole;
        WholeTextLines lines(bytes);
        for (std::string_view line; lines.next(line);) whole.emplace_back(line);
        for (std::size_t block : {1, 2, 3, 64})
            EXPECT_EQ(whole, read_lines(dir.write("f.txt", bytes), block)) << bytes << " " << block;
    }
}

// A file that grows while it is read is read as far as it went when opened, and says it grew.
TEST(WholeTextReader, AndTheLoaderStopAtTheSizeOfTheOpening) {
    test::TempDir dir;
    const std::string path = dir.write("f.txt", "a\r\nb\r\n");
    WholeTextReader reader(path, 2);
    bool grew = false;
    std::ofstream(path, std::ios::app) << "c\r\n";
    EXPECT_EQ("a\r\nb\r\nc\r\n", load_whole_file(path, UINT64_MAX, &grew));
    EXPECT_EQ(false, grew);
    EXPECT_EQ("a\r\nb", load_whole_file(path, 4, &grew));
    EXPECT_EQ(true, grew);
    std::string_view line;
    std::vector<std::string> got;
    while (reader.next(line)) got.emplace_back(line);
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), got);
    EXPECT_EQ(true, reader.grew());
}

}  // namespace
}  // namespace qvr
