#include "shell/job_log_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/file_error.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

using Lines = std::vector<std::string>;

Lines load(JobLogFile& log) {
    Lines lines;
    log.load([&](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

NextLogLine from(const Lines& lines) {
    return
        [&lines, i = 0u](std::string& line) mutable { return i < lines.size() && (line = lines[i++], true); };
}

// The bytes of a line come back as they were stored: the window's test of the log (JobLogTest).
TEST(JobLogFile, EveryLineEndEndsALine) {
    const std::pair<std::string, Lines> cases[] = {
        {"", {}}, {"a\rb\nc\r\nd", {"a", "b", "c", "d"}}, {"a\r\n\r\n", {"a", ""}}};
    for (const auto& [stored, lines] : cases) {
        test::TempDir dir;
        JobLogFile log(dir.write("QVR32.LOG", stored));
        EXPECT_EQ(lines, load(log)) << stored;
    }
}

// Two copies load the same log, then save in turn: A, B, and A once more. Each keeps the lines the other
// added since its last load or save, below its own new jobs; what a user deleted stays deleted.
TEST(JobLogFile, TwoCopiesSavingInTurnLoseNoLineAndDoubleNone) {
    struct Case {
        std::string stored;
        Lines a;
        std::size_t a_new;
        Lines b;
        std::size_t b_new;
        Lines b_gets, after_b, after_a_again;
    };
    const Case cases[] = {
        // clang-format off
        {"", {"a1"}, 1, {"b1"}, 1, {"a1"}, {"b1", "a1"}, {"b1", "a1"}},
        // B's user deleted y: it stays deleted for B's save.
        {"x\r\ny\r\n", {"a1", "x", "y"}, 1, {"b1", "x"}, 1, {"a1"}, {"b1", "a1", "x"}, {"b1", "a1", "x", "y"}},
        // Equal lines are counted, not merely looked up.
        {"d\r\nd\r\n", {"d", "d", "d"}, 1, {"d", "d"}, 0, {"d"}, {"d", "d", "d"}, {"d", "d", "d"}}};
    // clang-format on
    for (const Case& c : cases) {
        test::TempDir dir;
        const std::string path = dir.write("QVR32.LOG", c.stored);
        JobLogFile a(path), b(path), check(path);
        load(a), load(b);
        EXPECT_EQ(Lines{}, a.save(from(c.a), c.a_new));
        EXPECT_EQ(c.b_gets, b.save(from(c.b), c.b_new));
        EXPECT_EQ(c.after_b, load(check));
        a.save(from(c.a), 0);
        EXPECT_EQ(c.after_a_again, load(check));
    }
}

TEST(JobLogFile, ASaveWaitsForTheCopyHoldingTheLock) {
    test::TempDir dir;
    const std::string path = dir.write("QVR32.LOG", "old\r\n");
    JobLogFile log(path);
    load(log);
    int ready[2];
    ASSERT_EQ(0, ::pipe(ready));
    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = ::open(JobLogFile::lock_path_for(path).c_str(), O_RDWR | O_CREAT, 0666);
        ::flock(fd, LOCK_EX);
        (void)!::write(ready[1], "x", 1);
        ::usleep(300'000);
        dir.write("QVR32.LOG", "child\r\nold\r\n");
        ::_exit(0);
    }
    char x;
    ASSERT_EQ(1, ::read(ready[0], &x, 1));
    EXPECT_EQ(Lines{"child"}, log.save(from({"parent", "old"}), 1));
    EXPECT_EQ("parent\r\nchild\r\nold\r\n", test::read_file(path));
    ::waitpid(child, nullptr, 0);
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
