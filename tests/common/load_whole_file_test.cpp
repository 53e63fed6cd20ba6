#include <gtest/gtest.h>

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
