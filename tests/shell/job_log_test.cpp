#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>

#include "common/file_error.h"
#include "shell/job_log_file.h"
#include "shell/job_log_line.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

using Lines = std::vector<std::string>;

Lines load(JobLogFile& log) {
    Lines lines;
    log.load([&](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

NextLogLine from(const Lines& all) {
    return [&all, i = 0u](std::string& line) mutable { return i < all.size() && (line = all[i++], true); };
}

// The bytes of a line come back as they were stored: the window's test of the log (JobLogTest).
TEST(JobLogFile, EveryLineEndEndsALine) {
    const std::pair<std::string, Lines> cases[] = {
        {"", {}}, {"a\rb\nc\r\nd", {"a", "b", "c", "d"}}, {"a\r\n\r\n", {"a", ""}}};
    test::TempDir dir;
    for (const auto& [stored, lines] : cases) {
        JobLogFile log(dir.write("QVR32.LOG", stored));
        EXPECT_EQ(lines, load(log)) << stored;
    }
}

// Two copies load the same log, then save in turn: A, B, and A once more. Each keeps the lines the other
// added since its last load or save, below its own new jobs; what a user deleted stays deleted.
TEST(JobLogFile, TwoCopiesSavingInTurnLoseNoLineAndDoubleNone) {
    // clang-format off
    const struct {
        std::string stored;
        Lines a, b;  // each copy's lines when it saves, its new jobs first
        std::size_t a_new, b_new;
        Lines b_gets, after_b, after_a_again;
    } cases[] = {
        {"", {"a1"}, {"b1"}, 1, 1, {"a1"}, {"b1", "a1"}, {"b1", "a1"}},
        // B's user deleted y: it stays deleted for B's save.
        {"x\r\ny\r\n", {"a1", "x", "y"}, {"b1", "x"}, 1, 1, {"a1"}, {"b1", "a1", "x"}, {"b1", "a1", "x", "y"}},
        // Equal lines are counted, not merely looked up.
        {"d\r\nd\r\n", {"d", "d", "d"}, {"d", "d"}, 1, 0, {"d"}, {"d", "d", "d"}, {"d", "d", "d"}}};
    // clang-format on
    for (const auto& c : cases) {
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

// A process holding the lock for good is waited for only so long: the load reads the log without it and
// says so, the save refuses and leaves the file as it was; once the lock is free the save goes through.
TEST(JobLogFile, ALockHeldForGoodIsWaitedForOnlySoLong) {
    test::TempDir dir;
    const std::string path = dir.write("QVR32.LOG", "old\r\n"), lock = JobLogFile::lock_path_for(path);
    JobLogFile log(path, std::chrono::milliseconds(300));
    const int held = ::open(lock.c_str(), O_RDWR | O_CREAT, 0666);
    ASSERT_EQ(0, ::flock(held, LOCK_EX));
    const auto started = std::chrono::steady_clock::now();
    Lines lines;
    EXPECT_EQ("Cannot lock file " + path + ". Another process has held its lock " + lock +
                  " for more than 0.3 seconds. The job log was read without waiting longer",
              log.load([&](std::string_view line) { lines.emplace_back(line); }));
    EXPECT_EQ(Lines{"old"}, lines);
    EXPECT_THAT(
        [&] {
            log.save(from({"new", "old"}), 1);
        },
        testing::ThrowsMessage<FileError>("Cannot lock file " + path +
                                          ". Another process has held its lock " + lock +
                                          " for more than 0.3 seconds. The job log was not saved; its lines "
                                          "stay in the window for the next save"));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
    EXPECT_EQ("old\r\n", test::read_file(path));
    ::close(held);
    EXPECT_EQ(Lines{}, log.save(from({"new", "old"}), 1));
    EXPECT_EQ("new\r\nold\r\n", test::read_file(path));
}

TEST(JobLogFile, SetAsideNeverReplacesAnEarlierOne) {
    test::TempDir dir;
    const std::string log = dir.write("QVR32.LOG", "first");
    EXPECT_EQ(log + ".unreadable-20261206-101500", set_aside_unreadable(log, "20261206-101500"));
    dir.write("QVR32.LOG", "second");
    EXPECT_EQ(log + ".unreadable-20261206-101500-2", set_aside_unreadable(log, "20261206-101500"));
    EXPECT_EQ("QVR32.LOG.unreadable-20261206-101500 QVR32.LOG.unreadable-20261206-101500-2",
              test::list_folder(dir.path()));
    EXPECT_EQ("first", test::read_file(log + ".unreadable-20261206-101500"));  // so the other holds "second"
    EXPECT_THAT(
        [&] { set_aside_unreadable(log, "x"); },
        testing::ThrowsMessage<FileError>("Cannot rename file " + log + ". No such file or directory"));
}

// The example job (an input and an output file, no definition file, ";" and field names ahead), then each
// item changed in turn; and the time format, whose zone the log leaves out.
TEST(JobLogLine, ExampleJobEachItemAndTheTimeWithoutZone) {
    const JobClock clock{"06/12/2026", "10:17:23"};
    JobSettings example;
    std::tie(example.input_path, example.output_path) = std::tuple("/data/in.txt", "/data/out.qvo");
    EXPECT_EQ(
        "in.txt\t<none>\tout.qvo\t;\tHeader\tNot sorted\tNot U.\tNo nbr.\tNo lower\tNo upper\t06/12/2026\t"
        "10:17:23\tWindows-1252\tNo bad values",
        job_log_line(example, clock));
    EXPECT_EQ("1 bad value", job_log_items(example, clock, 1).at(13));
    EXPECT_EQ("2 bad values", job_log_items(example, clock, 2).at(13));
    const struct {
        std::function<void(JobSettings&)> change;
        std::size_t item;  // 0-based
        std::string expected;
    } cases[] = {{[](JobSettings& s) { s.tab_separator = true; }, 3, "<Tab>"},
                 {[](JobSettings& s) { s.separator_text = ""; }, 3, ""},
                 {[](JobSettings& s) { s.lower_bound = "A"; }, 8, "A"},
                 {[](JobSettings& s) { s.upper_bound = "M z"; }, 9, "M z"},
                 {[](JobSettings& s) { s.definition_file_name = "/defs/orders.tab"; }, 1, "orders.tab"},
                 {[](JobSettings& s) { s.header = false; }, 4, "No header"},
                 {[](JobSettings& s) { s.sorted = true; }, 5, "Sorted"},
                 {[](JobSettings& s) { s.unique = true; }, 6, "U."},
                 {[](JobSettings& s) { s.numbers = true; }, 7, "Numbers"},
                 {[](JobSettings& s) { s.lower_bound = "A\tB"; }, 8, "A B"},
                 {[](JobSettings& s) { s.output_path = "/d/a\r\nb"; }, 2, "a  b"},
                 {[](JobSettings& s) { s.encoding = TextEncoding::utf8; }, 12, "UTF-8"}};
    for (const auto& c : cases) {
        JobSettings s = example;
        c.change(s);
        const std::vector<std::string> items = job_log_items(s, clock);
        EXPECT_EQ(14u, items.size()) << c.expected;
        EXPECT_EQ(c.expected, items.at(c.item)) << c.item;
    }
    const std::pair<const char*, const char*> formats[] = {
        // clang-format off
        {"HH:mm:ss t", "HH:mm:ss"}, {"h:mm:ss AP t", "h:mm:ss AP"}, {"t HH:mm:ss", "HH:mm:ss"},
        {"H:mm:ss (t)", "H:mm:ss"}, {"HH:mm:ss tttt", "HH:mm:ss"}, {"HH:mm:ss", "HH:mm:ss"},
        {"HH 'at' mm:ss t", "HH 'at' mm:ss"}, {"h:mm t AP", "h:mm AP"}};  // clang-format on
    for (const auto& [format, expected] : formats)
        EXPECT_EQ(expected, time_format_without_zone(format)) << format;
}

}  // namespace
}  // namespace qvr
