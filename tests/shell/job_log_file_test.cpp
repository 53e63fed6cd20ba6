#include "shell/job_log_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/file_error.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

using Lines = std::vector<std::string>;

TEST(JobLogFile, LinesOfAStoredLog) {
    const std::pair<std::string, Lines> cases[] = {
        {"", {}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb\nc\r\n", {"a", "b", "c"}},
        {"a\r\n\r\n", {"a", ""}},
        {std::string("n\0l\x1a\tx\r\n", 8), {std::string("n\0l\x1a\tx", 6)}},  // NUL and Ctrl+Z stay
    };
    for (const auto& [bytes, lines] : cases) EXPECT_EQ(lines, job_log_lines(bytes)) << bytes;
}

TEST(JobLogFile, EveryByteButLineEndsComesBack) {
    std::string line;
    for (int b = 0; b < 256; ++b)
        if (b != '\r' && b != '\n') line += static_cast<char>(b);
    const std::string file = line + "\r\nlast\r\n";
    EXPECT_EQ(file, job_log_bytes(job_log_lines(file)));
    EXPECT_EQ("", job_log_bytes({}));
}

TEST(JobLogFile, SetAsideNeverReplacesAnEarlierOne) {
    test::TempDir dir;
    const std::string log = dir.write("QVR32.LOG", "first");
    EXPECT_EQ(log + ".unreadable-20261206-101500", set_aside_unreadable(log, "20261206-101500"));
    dir.write("QVR32.LOG", "second");
    EXPECT_EQ(log + ".unreadable-20261206-101500-2", set_aside_unreadable(log, "20261206-101500"));
    EXPECT_EQ("QVR32.LOG.unreadable-20261206-101500 QVR32.LOG.unreadable-20261206-101500-2",
              test::list_folder(dir.path()));
    EXPECT_EQ("first", test::read_file(log + ".unreadable-20261206-101500"));
    EXPECT_EQ("second", test::read_file(log + ".unreadable-20261206-101500-2"));
    EXPECT_THAT(
        [&] { set_aside_unreadable(log, "x"); },
        testing::ThrowsMessage<FileError>("Cannot rename file " + log + ". No such file or directory"));
}

}  // namespace
}  // namespace qvr
