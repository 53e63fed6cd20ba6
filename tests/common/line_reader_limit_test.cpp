#include <gtest/gtest.h>

#include <string>

#include "common/file_error.h"
#include "common/line_reader.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

TEST(LineReaderLimit, ALineLongerThanTheLimitIsRefusedInsteadOfHeld) {
    test::TempDir dir;
    const std::string path = dir.write("long.txt", "short\r\n" + std::string(100, 'x') + "\r\nnext\r\n");
    LineReader reader(path, 16);
    reader.set_max_line_length(50);  // lines span the small blocks, so they are held while they are read
    std::string_view line;
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ("short", line);
    try {
        reader.next(line);
        ADD_FAILURE() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ("Cannot read file " + path + ". Cannot allocate memory", std::string(e.what()));
    }
}

TEST(LineReaderLimit, AKeptPrefixCutsLinesWithoutHoldingTheRest) {
    test::TempDir dir;
    const std::string path =
        dir.write("long.txt", "0123456789\r\nab\r\n" + std::string(100, 'x') + "\r\nend");
    for (std::size_t block : {std::size_t{3}, std::size_t{16}, std::size_t{1} << 20}) {
        LineReader reader(path, block);
        reader.keep_line_prefix(4);
        reader.set_max_line_length(4);  // a held line longer than the prefix would be refused
        std::vector<std::string> lines;
        std::string_view line;
        while (reader.next(line)) lines.emplace_back(line);
        EXPECT_EQ((std::vector<std::string>{"0123", "ab", "xxxx", "end"}), lines) << "block " << block;
        EXPECT_EQ(121u, reader.bytes_read());
    }
}

}  // namespace
}  // namespace qvr
