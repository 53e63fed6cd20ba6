#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>

#include <csignal>
#include <optional>
#include <sstream>

#include "common/file_error.h"
#include "common/output_file.h"
#include "support/file_faults.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

using test::TempDir;

struct Written {
    std::string listing;  // the folder afterwards
    std::string bytes;    // what the file the target names holds
    bool still_a_link;
    bool same_file;  // the file the target named is the one written
};

// Replaces `target` (in `dir`, naming `file`) by "new" and tells what became of them.
Written replace(const TempDir& dir, const std::string& target, const std::string& file) {
    struct stat before {};
    ::stat(file.c_str(), &before);
    replace_file_safely(target, "new");
    struct stat after {
    }, link{};
    ::stat(file.c_str(), &after);
    ::lstat(target.c_str(), &link);
    return {test::list_folder(dir.path()), test::read_file(file), S_ISLNK(link.st_mode) != 0,
            before.st_ino == after.st_ino};
}

TEST(SafeReplacement, LinksAreWrittenThroughAndDescriptorsAndSharedFilesInPlace) {
    TempDir dir;
    const std::string log = dir.write("shared.log", "old");
    const std::string result = dir.write("result.txt", "old");
    const std::string joined = dir.write("joined.txt", "old");
    test::prepared(::link(joined.c_str(), dir.file("joined2.txt").c_str()) == 0, "hard link");
    test::prepared(::symlink("shared.log", dir.file("QVR32.LOG").c_str()) == 0, "link");
    test::prepared(::symlink("QVR32.LOG", dir.file("chain").c_str()) == 0, "link");
    // What /dev/stdout is when standard output goes to a file.
    const int fd = ::open(result.c_str(), O_WRONLY);
    test::make_link(dir.file("stdout"), ("/proc/self/fd/" + std::to_string(fd)).c_str());
    const std::string all = "QVR32.LOG chain joined.txt joined2.txt result.txt shared.log stdout";
    struct Case {
        std::string target, file;
        Written expected;
    } cases[] = {
        {dir.file("QVR32.LOG"), log, {all, "new", true, false}},
        {dir.file("chain"), log, {all, "new", true, false}},
        {dir.file("stdout"), result, {all, "oldnew", true, true}},  // added to, as ">>" would
        {joined, dir.file("joined2.txt"), {all, "new", false, true}},
    };
    for (const Case& c : cases) {
        const Written w = replace(dir, c.target, c.file);
        EXPECT_EQ(c.expected.listing, w.listing) << c.target;
        EXPECT_EQ(c.expected.bytes, w.bytes) << c.target;
        EXPECT_EQ(c.expected.still_a_link, w.still_a_link) << c.target;
        EXPECT_EQ(c.expected.same_file, w.same_file) << c.target;
    }
    ::close(fd);
}

TEST(SafeReplacement, OwnerGroupAndModeAreKeptOrTheFileIsLeftAlone) {
    if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another owner needs root";
    TempDir dir;
    struct Case {
        std::uint32_t taken;  // capabilities taken away
        std::string error, bytes;
    } cases[] = {
        {0, "", "new"},
        {1u << CAP_CHOWN,
         "Cannot create file " + dir.file("f.txt") + ". Its owner and group cannot be kept by a new file",
         "old"},
    };
    for (const Case& c : cases) {
        const std::string file = dir.write("f.txt", "old");
        ::chown(file.c_str(), 1234, 5678);
        ::chmod(file.c_str(), 02666);
        std::string error;
        {
            std::optional<test::PermissionsHold> hold;
            if (c.taken != 0) hold.emplace(c.taken);
            try {
                replace_file_safely(file, "new");
            } catch (const FileError& e) {
                error = e.what();
            }
        }
        struct stat st {};
        ::stat(file.c_str(), &st);
        EXPECT_EQ(c.error, error);
        EXPECT_EQ(c.bytes, test::read_file(file));
        EXPECT_EQ("1234 5678 2666", std::to_string(st.st_uid) + " " + std::to_string(st.st_gid) + " " +
                                        (std::ostringstream() << std::oct << (st.st_mode & 07777)).str());
        EXPECT_EQ("f.txt", test::list_folder(dir.path()));
    }
}

TEST(SafeReplacement, LongestNamesGetATemporaryFileBeside) {
    TempDir dir;
    for (std::size_t length : {243u, 244u, 255u}) {
        const std::string name(length, 'n');
        replace_file_safely(dir.file(name), "new");
        EXPECT_EQ("new", test::read_file(dir.file(name))) << length;
        EXPECT_EQ(name, test::list_folder(dir.path())) << length;
        ::unlink(dir.file(name).c_str());
    }
}

constexpr int kSkipped = 77;

// A child that writes 3 MB of a replacement of `target` and is ended by `sig` before it commits; `named`
// hides /proc from it, so that it cannot use a temporary file without a name. Returns its wait status.
int interrupted_writer(const std::string& target, int sig, bool named) {
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
    return status;
}

TEST(SafeReplacement, AnInterruptedWriterLeavesTheFormerFileAndNoTemporary) {
    const struct {
        int sig;
        bool named;
    } cases[] = {{SIGTERM, false}, {SIGKILL, false}, {SIGINT, true}, {SIGTERM, true}, {SIGHUP, true}};
    for (const auto& c : cases) {
        TempDir dir;
        const std::string target = dir.write("out.txt", "old");
        const int status = interrupted_writer(target, c.sig, c.named);
        if (WIFEXITED(status) && WEXITSTATUS(status) == kSkipped) {
            std::printf("skipped: /proc cannot be hidden from a child here (needs root)\n");
            continue;
        }
        EXPECT_EQ(c.sig, WIFSIGNALED(status) ? WTERMSIG(status) : -1) << c.sig;
        EXPECT_EQ("out.txt", test::list_folder(dir.path())) << c.sig << " named " << c.named;
        EXPECT_EQ("old", test::read_file(target));
    }
}

}  // namespace
}  // namespace qvr
