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

}  // namespace
}  // namespace qvr
