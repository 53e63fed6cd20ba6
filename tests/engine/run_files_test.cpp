#include "engine/run_files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "engine/memory_check.h"
#include "engine/propose_encoding.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

using test::TempDir;

TEST(RunFiles, RefusesInOrderAndKnowsOneFileUnderTwoSpellings) {
    TempDir dir;
    std::string input = dir.write("in.txt", "x\r\n");
    std::string old_result = dir.write("old.txt", "y\r\n");
    ::mkdir(dir.file("sub").c_str(), 0777);
    ASSERT_EQ(0, ::symlink(input.c_str(), dir.file("link.txt").c_str()));
    std::string relative = std::filesystem::relative(input).string();
    const std::tuple<std::string, std::string, RunFiles> cases[] = {
        {dir.file("none.txt"), dir.file("new.txt"), RunFiles::input_missing},
        {input, input, RunFiles::same_file},
        {input, relative, RunFiles::same_file},
        {input, dir.file("link.txt"), RunFiles::same_file},
        {input, dir.file("sub/../in.txt"), RunFiles::same_file},
        {input, old_result, RunFiles::output_exists},
        {input, dir.file("new.txt"), RunFiles::ready},
        {input, "", RunFiles::ready},  // the empty output fails when the result is written
    };
    for (const auto& [in, out, expected] : cases)
        EXPECT_EQ(static_cast<int>(expected), static_cast<int>(check_run_files(in, out)))
            << in << " -> " << out;
    // Standard output opened on the input itself (appended to it) is the same file as well.
    const int on_input = ::open(input.c_str(), O_WRONLY | O_APPEND);
    const int on_other = ::open(old_result.c_str(), O_WRONLY);
    EXPECT_EQ(RunFiles::same_file, check_run_files(input, on_input));
    EXPECT_EQ(RunFiles::ready, check_run_files(input, on_other));
    ::close(on_input);
    ::close(on_other);
}

TEST(MemoryCheck, ReadsMemAvailableInBytes) {
    EXPECT_EQ(2048u * 1024u,
              mem_available_of("MemTotal:  9999 kB\nMemFree: 1 kB\nMemAvailable:    2048 kB\n"));
    EXPECT_EQ(UINT64_MAX, mem_available_of("MemTotal: 9999 kB\n"));
    EXPECT_EQ(UINT64_MAX, mem_available_of("MemAvailable: lots\n"));
    EXPECT_GT(available_memory(), 0u);
}

// Cut short at the end, a surrogate, a character across two blocks of the reading, a late stray byte.
TEST(ProposeEncoding, Utf8OnlyForWellFormedTextBeyondAscii) {
    const std::string a(70'000, 'a');
    const std::pair<std::string, bool> cases[] = {
        {"plain\r\n", false},
        {"\xf0\x9f\x98\x80\xe2\x82\xac", true},
        {"\xc3\xa9\xc3", false},
        {"\xed\xa0\x80", false},
        {a.substr(0, 65535) + "\xe2\x82\xac" + a, true},
        {a + "\xc3\xa9" + a + "\xe9", false},
    };
    TempDir dir;
    for (const auto& [bytes, utf8] : cases)
        EXPECT_EQ(utf8, propose_encoding(dir.write("in.txt", bytes)) == TextEncoding::utf8) << bytes.size();
    EXPECT_EQ(TextEncoding::cp1252, propose_encoding(dir.file("missing.txt")));
}

}  // namespace
}  // namespace qvr
