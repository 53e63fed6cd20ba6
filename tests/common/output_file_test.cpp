#include "common/output_file.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/file_error.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

TEST(SafeFileWriter, ReplacesOnlyWhenCommitted) {
    test::TempDir dir;
    std::string target = dir.write("out.txt", "old");
    {
        SafeFileWriter out(target);
        out.write_line("new");
        EXPECT_EQ("old", test::read_file(target));  // nothing visible before the commit
        out.commit();
    }
    EXPECT_EQ("new\r\n", test::read_file(target));
    EXPECT_EQ("out.txt", test::list_folder(dir.path()));
}

TEST(SafeFileWriter, AbandonedWriteLeavesOldFileAndNoTemporary) {
    test::TempDir dir;
    std::string target = dir.write("out.txt", "old");
    {
        SafeFileWriter out(target);
        out.write(std::string(3 << 20, 'x'));  // past the buffer, so bytes reached the disk
    }
    EXPECT_EQ("old", test::read_file(target));
    EXPECT_EQ("out.txt", test::list_folder(dir.path()));
}

TEST(SafeFileWriter, FailuresAreFileErrorsAndLoseNothing) {
    test::TempDir dir;
    EXPECT_THROW(SafeFileWriter(dir.file("no/such/folder.txt")), FileError);
    EXPECT_THROW(SafeFileWriter(""), FileError);
    // A folder in the target's place: the rename fails, the folder stays, no temporary is left.
    ::mkdir(dir.file("taken").c_str(), 0755);
    EXPECT_THROW(replace_file_safely(dir.file("taken"), "x"), FileError);
    EXPECT_EQ("taken", test::list_folder(dir.path()));
}

TEST(SafeFileWriter, FullDeviceIsWrittenInPlaceAndFails) {
    // Written through a device, a full disk shows as an error and the device node stays a device.
    EXPECT_THROW(replace_file_safely("/dev/full", std::string(2 << 20, 'x')), FileError);
    struct stat st {};
    ASSERT_EQ(0, ::stat("/dev/full", &st));
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST(SafeFileWriter, KeepsThePermissionsOfTheReplacedFile) {
    test::TempDir dir;
    std::string target = dir.write("out.txt", "old");
    ::chmod(target.c_str(), 0640);
    replace_file_safely(target, "new");
    struct stat st {};
    ASSERT_EQ(0, ::stat(target.c_str(), &st));
    EXPECT_EQ(0640u, st.st_mode & 0777);
}

TEST(OutputFile, WritesAtAnOffsetAndAppendsAfter) {
    test::TempDir dir;
    std::string path = dir.file("f.bin");
    OutputFile out(path);
    out.write("0000tail");
    out.write_at(0, "HEAD");
    out.write("+more");
    out.close();
    EXPECT_EQ("HEADtail+more", test::read_file(path));
}

TEST(OutputFile, BorrowedDescriptorIsWrittenAndLeftOpen) {
    test::TempDir dir;
    std::string path = dir.file("f.txt");
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_LE(0, fd);
    {
        std::unique_ptr<OutputFile> out = OutputFile::borrow(fd, "standard output");
        out->write_line("one");
        out->close();
        std::unique_ptr<OutputFile> again = OutputFile::borrow(fd, "standard output");
        again->write_line("two");
    }  // destroyed without close(): what was buffered is lost, the descriptor still is not closed
    EXPECT_EQ(3, ::write(fd, "end", 3));
    ::close(fd);
    EXPECT_EQ("one\r\nend", test::read_file(path));
}

TEST(OutputFile, BorrowedDescriptorReportsFailuresUnderItsName) {
    int fd = ::open("/dev/full", O_WRONLY);
    ASSERT_LE(0, fd);
    std::unique_ptr<OutputFile> out = OutputFile::borrow(fd, "standard output");
    out->write("x");
    EXPECT_THAT([&] { out->close(); }, testing::ThrowsMessage<FileError>(
                                           "Cannot write file standard output. No space left on device"));
    ::close(fd);
}

}  // namespace
}  // namespace qvr
