#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "common/byte_order.h"
#include "common/char_map.h"
#include "common/file_error.h"
#include "common/file_names.h"
#include "common/memory_limits.h"
#include "common/whole_number.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

TEST(WholeNumber, ReadsSigned32BitDecimalsElseZero) {
    // Out of range, signs, blanks and a superscript two count as 0.
    const std::pair<std::string, std::int32_t> cases[] = {
        {"7", 7},   {"007", 7}, {"-12", -12}, {"2147483647", 2147483647}, {"-2147483648", INT32_MIN},
        {"", 0},    {"+5", 0},  {" 5", 0},    {"2147483648", 0},          {"99999999999999999999", 0},
        {"1e3", 0}, {"12a", 0}, {"\xb2", 0},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(value, whole_number_or_zero(text)) << "'" << text << "'";
    for (const char* none : {"", "-"}) EXPECT_FALSE(read_whole_number(none).has_value()) << none;
    EXPECT_EQ(0, read_whole_number("0").value());
    EXPECT_EQ("-5 4294967296", decimal_text(-5) + " " + decimal_text(4294967296LL));
}

TEST(ByteOrder, UnsignedBytesShorterPrefixFirst) {
    const std::pair<std::string, std::string> below[] = {
        {"", "a"}, {"C", "C;x"}, {"M", "m"}, {"z", "\xe9"}, {"abc", "b"}, {std::string("a\0", 2), "a\x01"}};
    for (const auto& [a, b] : below)
        EXPECT_TRUE(compare_bytes(a, b) < 0 && compare_bytes(b, a) > 0) << a << b;
}

TEST(CharMap, EveryByteRoundTripsAsOneCharacter) {
    for (int i = 0; i < 256; ++i) EXPECT_EQ(i, char_to_byte(byte_to_char(static_cast<unsigned char>(i))));
    EXPECT_EQ(u'\u20ac', byte_to_char(0x80));
    EXPECT_EQ(u'\u00e9', byte_to_char(0xe9));
    EXPECT_EQ(0x9f, char_to_byte(u'\u0178'));
    EXPECT_EQ(-1, char_to_byte(u'\u03a9'));
}

TEST(FileNames, NameAndExtension) {
    const std::tuple<std::string, std::string, std::string> cases[] = {
        // path, file name, with ".qvo.txt" for its extension
        {"/data/cust.txt", "cust.txt", "/data/cust.qvo.txt"},
        {"/arch.dat/cust.dat", "cust.dat", "/arch.dat/cust.qvo.txt"},
        {"/a.txt/b.txt", "b.txt", "/a.txt/b.qvo.txt"},
        {"/arch.dat/cust", "cust", "/arch.dat/cust.qvo.txt"},
        {"a.b.c", "a.b.c", "a.b.qvo.txt"},
        {"/data/", "", "/data/.qvo.txt"},
        {"C:\\data\\in.txt", "C:\\data\\in.txt", "C:\\data\\in.qvo.txt"},
    };
    for (const auto& [path, name, replaced] : cases) {
        EXPECT_EQ(name, file_name_of(path)) << path;
        EXPECT_EQ(path, folder_of(path) + name);
        EXPECT_EQ(replaced, with_replaced_extension(path, ".qvo.txt")) << path;
    }
}

// "?" comes after "." in character order, ")" before it.
TEST(FullStop, AddedOnlyAfterCharactersAboveTheDot) {
    const std::pair<std::string, std::string> cases[] = {
        {"Cannot open f", "Cannot open f."}, {"Disk full.", "Disk full."}, {"Really?", "Really?."},
        {"(details)", "(details)"},          {"caf\xe9", "caf\xe9."},      {"7", "7."},
    };
    for (const auto& [message, shown] : cases) EXPECT_EQ(shown, with_full_stop(message)) << message;
}

// Files under a root, '|' between them, each a path, a blank and its text; "v1/" stands for the version 1
// memory controller's folder, "v2/" for the version 2 one. The system has 4096000 bytes available.
TEST(MemoryLimits, TheSmallestRoomOfTheSystemAndEveryGroupUpToTheRoot) {
    const std::tuple<const char*, std::string, std::uint64_t> cases[] = {
        {"no control group", "", 4096000},
        {"v2 sub-group below an unlimited parent",
         "proc/self/cgroup 0::/a/b|v2/cgroup.controllers memory|v2/a/memory.max max|v2/a/memory.current 500|"
         "v2/a/b/memory.max 3000|v2/a/b/memory.current 1000",
         2000},
        {"v2 parent tighter than the group",
         "proc/self/cgroup 0::/a/b|v2/cgroup.controllers memory|v2/a/memory.max 1500|"
         "v2/a/memory.current 1000|v2/a/b/memory.max max|v2/a/b/memory.current 900",
         500},
        {"v2 group over its limit",
         "proc/self/cgroup 0::/a|v2/cgroup.controllers memory|v2/a/memory.max 100|v2/a/memory.current 200",
         0},
        {"v1 memory among other controllers, hybrid v2 without memory",
         "proc/self/cgroup 5:cpu,memory:/jobs/run\n4:pids:/jobs\n0::/|"
         "v1/memory.limit_in_bytes 9223372036854771712|v1/memory.usage_in_bytes 7000|"
         "v1/jobs/run/memory.limit_in_bytes 10000|v1/jobs/run/memory.usage_in_bytes 2500",
         7500},
        {"limits above the system's available memory",
         "proc/self/cgroup 0::/|v2/memory.max 99999999|v2/memory.current 1", 4096000},
    };
    for (const auto& [what, files, left] : cases) {
        test::TempDir root;
        std::istringstream list("proc/meminfo MemTotal: 8000 kB\nMemAvailable:    4000 kB|" + files);
        for (std::string file; std::getline(list, file, '|');) {
            std::string name = file.substr(0, file.find(' '));
            if (name.starts_with("v"))
                name = (name[1] == '1' ? "sys/fs/cgroup/memory/" : "sys/fs/cgroup/") + name.substr(3);
            std::filesystem::create_directories(std::filesystem::path(root.file(name)).parent_path());
            root.write(name, file.substr(file.find(' ') + 1) + "\n");
        }
        EXPECT_EQ(left, memory_left_under(root.path())) << what;
    }
}

}  // namespace
}  // namespace qvr
