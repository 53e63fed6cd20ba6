#include "common/output_file.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <optional>
#include <sstream>

#include "common/file_error.h"
#include "support/file_faults.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

using test::TempDir;
using testing::ThrowsMessage;

/// A file's owner, group and mode (in octal).
std::string owner_and_mode(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return (std::ostringstream() << st.st_uid << " " << st.st_gid << " " << std::oct << (st.st_mode & 07777))
        .str();
}

// Names of 243 to 255 bytes leave no room for a temporary name beside: it is shortened.
TEST(SafeFileWriter, ReplacesOnlyWhenCommittedAndLeavesNoTemporary) {
    TempDir dir;
    for (std::size_t length : {7, 243, 244, 255}) {
        const std::string name(length, 'n');
        const std::string target = dir.write(name, "old");
        ::chmod(target.c_str(), 0640);
        const std::string kept = owner_and_mode(target);
        SafeFileWriter(target).write(std::string(3 << 20, 'x'));  // past the buffer: bytes reached the disk
        EXPECT_EQ("old", test::read_file(target));
        SafeFileWriter out(target);
        out.write_line("new");
        EXPECT_EQ("old", test::read_file(target));
        out.commit();
        EXPECT_EQ("new\r\n", test::read_file(target));
        EXPECT_EQ(kept, owner_and_mode(target));
        EXPECT_EQ(name, test::list_folder(dir.path()));
        ::unlink(target.c_str());
    }
    // A device is written in place.
    EXPECT_THAT([] { replace_file_safely("/dev/full", std::string(2 << 20, 'x')); },
                ThrowsMessage<FileError>("Cannot write file /dev/full. No space left on device"));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}

TEST(OutputFile, BorrowedDescriptorIsLeftOpenAndFailsUnderItsName) {
    TempDir dir;
    const std::string path = dir.file("f.txt");
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    {
        std::unique_ptr<OutputFile> out = OutputFile::borrow(fd, "standard output");
        out->write_line("one");
        out->close();
        OutputFile::borrow(fd, "standard output")->write_line("two");  // never closed: its buffer is lost
    }
    EXPECT_EQ(3, ::write(fd, "end", 3));
    ::close(fd);
    EXPECT_EQ("one\r\nend", test::read_file(path));

    const int full = ::open("/dev/full", O_WRONLY);
    std::unique_ptr<OutputFile> out = OutputFile::borrow(full, "standard output");
    out->write("x");
    EXPECT_THAT([&] { out->close(); },
                ThrowsMessage<FileError>("Cannot write file standard output. No space left on device"));
    ::close(full);
}

/// Replaces `target` by "new": what `file` (the file it names) then holds, whether `target` stayed a link
/// and whether `file` is the very file it was (written in place).
std::string replaced(const std::string& target, const std::string& file) {
    struct stat before = {}, after = {}, link = {};
    ::stat(file.c_str(), &before);
    replace_file_safely(target, "new");
    ::stat(file.c_str(), &after);
    ::lstat(target.c_str(), &link);
    return test::read_file(file) + (S_ISLNK(link.st_mode) ? " link" : " file") +
           (before.st_ino == after.st_ino ? " in place" : " replaced");
}

TEST(SafeReplacement, LinksAreWrittenThroughAndDescriptorsAndSharedFilesInPlace) {
    TempDir dir;
    const std::string log = dir.write("shared.log", "old"), result = dir.write("result.txt", "old");
    const std::string joined = dir.write("joined.txt", "old");
    test::prepared(::link(joined.c_str(), dir.file("joined2.txt").c_str()) == 0, "hard link");
    test::prepared(::symlink("shared.log", dir.file("QVR32.LOG").c_str()) == 0, "link");
    test::prepared(::symlink("QVR32.LOG", dir.file("chain").c_str()) == 0, "link");
    // What /dev/stdout is when standard output goes to a file.
    const int fd = ::open(result.c_str(), O_WRONLY);
    test::make_link(dir.file("stdout"), ("/proc/self/fd/" + std::to_string(fd)).c_str());
    EXPECT_EQ("new link replaced", replaced(dir.file("QVR32.LOG"), log));
    EXPECT_EQ("new link replaced", replaced(dir.file("chain"), log));
    EXPECT_EQ("oldnew link in place", replaced(dir.file("stdout"), result));  // added to, as ">>" would
    EXPECT_EQ("new file in place", replaced(joined, dir.file("joined2.txt")));
    EXPECT_EQ("QVR32.LOG chain joined.txt joined2.txt result.txt shared.log stdout",
              test::list_folder(dir.path()));
    ::close(fd);
}

TEST(SafeReplacement, OwnerGroupAndModeAreKeptOrTheFileIsLeftAlone) {
    if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another owner needs root";
    TempDir dir;
    const std::string file = dir.file("f.txt");
    const std::pair<std::uint32_t, std::string> cases[] = {
        // capabilities taken away, the outcome
        {0, "new"},
        {1u << CAP_CHOWN,
         "Cannot create file " + file + ". Its owner and group cannot be kept by a new file | old"},
    };
    for (const auto& [taken, outcome] : cases) {
        dir.write("f.txt", "old");
        ::chown(file.c_str(), 1234, 5678);
        ::chmod(file.c_str(), 02777);
        std::string error;
        try {
            std::optional<test::PermissionsHold> hold;
            if (taken != 0) hold.emplace(taken);
            replace_file_safely(file, "new");
        } catch (const FileError& e) {
            error = e.what() + std::string(" | ");
        }
        EXPECT_EQ(outcome, error + test::read_file(file));
        EXPECT_EQ("1234 5678 2777", owner_and_mode(file));
        EXPECT_EQ("f.txt", test::list_folder(dir.path()));
    }
}

constexpr int kSkipped = 77;

// A child writes 3 MB of a replacement of out.txt and is ended by the signal before it commits; `named`
// hides /proc from it, so that it cannot use a temporary file without a name.
TEST(SafeReplacement, AnInterruptedWriterLeavesTheFormerFileAndNoTemporary) {
    const std::pair<int, bool> cases[] = {
        {SIGTERM, false}, {SIGKILL, false}, {SIGINT, true}, {SIGTERM, true}, {SIGHUP, true}};
    bool unchecked = false;
    for (const auto& [sig, named] : cases) {
        TempDir dir;
        const std::string target = dir.write("out.txt", "old");
        int ready[2];
        test::prepared(::pipe(ready) == 0, "pipe");
        const pid_t child = ::fork();
        if (child == 0) {
            if (named && (::unshare(CLONE_NEWNS) != 0 ||
                          ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                          ::mount("none", "/proc", "tmpfs", 0, nullptr) != 0))
                ::_exit(kSkipped);
            SafeFileWriter out(target);
            out.write(std::string(3 << 20, 'x'));
            (void)!::write(ready[1], "r", 1);
            for (;;) ::pause();
        }
        ::close(ready[1]);
        char c;
        if (::read(ready[0], &c, 1) == 1) ::kill(child, sig);
        ::close(ready[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        if (WIFEXITED(status) && WEXITSTATUS(status) == kSkipped) {
            unchecked = true;
            continue;
        }
        EXPECT_EQ(sig, WIFSIGNALED(status) ? WTERMSIG(status) : -1) << sig;
        EXPECT_EQ("out.txt old", test::list_folder(dir.path()) + " " + test::read_file(target)) << named;
    }
    if (unchecked) GTEST_SKIP() << "a writer without /proc was not checked: hiding it needs root";
}

// A file with a second name is written into once its result is complete, on a file system of 64 pages
// (a tmpfs of its own, in a child with its own mounts) of which the filler and the former file take 26:
// a result of 30 pages fits beside it, not a second time in it, which leaves it untouched.
TEST(SafeReplacement, ASharedFileIsWrittenIntoOnlyWhenTheResultFits) {
    if (::geteuid() != 0) GTEST_SKIP() << "a small file system of its own needs root (mount -t tmpfs)";
    TempDir dir;
    const std::string file = dir.file("joined.txt");
    int results[2];
    test::prepared(::pipe(results) == 0, "pipe");
    const pid_t child = ::fork();
    if (child == 0) {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("none", dir.path().c_str(), "tmpfs", 0, "size=256k") != 0)
            ::_exit(kSkipped);
        dir.write("joined.txt", "old");
        ::link(file.c_str(), dir.file("joined2.txt").c_str());
        dir.write("filler", std::string(100 << 10, 'f'));
        std::string told;
        try {
            replace_file_safely(file, std::string(120 << 10, 'n'));
        } catch (const FileError& e) {
            told = e.what();
        }
        told += " | " + test::read_file(dir.file("joined2.txt")) + " | " + test::list_folder(dir.path());
        (void)!::write(results[1], told.data(), told.size());
        ::_exit(0);
    }
    ::close(results[1]);
    std::string told;
    char block[4096];
    for (ssize_t n; (n = ::read(results[0], block, sizeof block)) > 0;) told.append(block, std::size_t(n));
    ::close(results[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == kSkipped)
        GTEST_SKIP() << "no file system of its own can be mounted here";
    EXPECT_EQ("Cannot write file " + file + ". No space left on device. The file " + file +
                  " is kept as it was | old | filler joined.txt joined2.txt",
              told);
}

// A pipe nobody reads is refused at once, one being read is written through.
TEST(WriterFaults, PlacesThatCannotBeWrittenKeepWhatTheyHold) {
    TempDir dir;
    const std::string pipe = test::make_fifo(dir.file("pipe.txt"));
    const auto refused =
        ThrowsMessage<FileError>("Cannot create file " + pipe + ". No such device or address");
    const test::HangGuard guard(30);
    EXPECT_THAT([&] { OutputFile out(pipe); }, refused);
    EXPECT_THAT([&] { replace_file_safely(pipe, "x"); }, refused);

    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    replace_file_safely(pipe, "through the pipe\r\n");
    char got[64] = {};
    EXPECT_EQ(18, ::read(reader, got, sizeof got));
    EXPECT_EQ("through the pipe\r\n", std::string(got));
    ::close(reader);
    const std::string locked = test::make_folder(dir.file("locked"), 0555);
    const std::string plain = dir.write("plain.txt", "plain\r\n");
    const std::string read_only = dir.write("read-only.txt", "kept\r\n");
    ::chmod(read_only.c_str(), 0444);
    // A file we may write in a folder we may not: no new file can be made beside it to replace it.
    test::make_folder(dir.file("shut"));
    const std::string shut_in = dir.write("shut/out.txt", "shut in\r\n");
    ::chmod(dir.file("shut").c_str(), 0555);
    const std::pair<std::string, std::string> cases[] = {
        {shut_in,
         "Permission denied in its folder, where the new file is made before it replaces this one; the file "
         "is kept as it was"},
        {test::make_folder(dir.file("folder")), "Is a directory"},
        {locked + "/out.txt", "Permission denied"},
        {read_only, "Permission denied"},
        {plain + "/out.txt", "Not a directory"},
        {dir.file("none/out.txt"), "No such file or directory"},
    };
    const test::PermissionsHold permissions;
    for (const auto& [path, reason] : cases)
        EXPECT_THAT([&] { replace_file_safely(path, "new\r\n"); },
                    ThrowsMessage<FileError>("Cannot create file " + path + ". " + reason));
    EXPECT_THAT([&] { OutputFile out(locked + "/out.txt"); },
                ThrowsMessage<FileError>("Cannot create file " + locked + "/out.txt. Permission denied"));
    EXPECT_EQ("kept\r\n", test::read_file(read_only));
    EXPECT_EQ("plain\r\n", test::read_file(plain));
    EXPECT_EQ("shut in\r\n", test::read_file(shut_in));
    EXPECT_EQ("out.txt", test::list_folder(dir.file("shut")));
    ::chmod(dir.file("shut").c_str(), 0755);
    EXPECT_EQ("folder locked pipe.txt plain.txt read-only.txt shut", test::list_folder(dir.path()));
    EXPECT_EQ("", test::list_folder(locked));
}

}  // namespace
}  // namespace qvr
