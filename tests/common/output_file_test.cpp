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

TEST(SafeFileWriter, ReplacesOnlyWhenCommittedAndLeavesNoTemporary) {
    test::TempDir dir;
    const std::string target = dir.write("out.txt", "old");
    ::chmod(target.c_str(), 0640);
    {
        SafeFileWriter out(target);
        out.write(std::string(3 << 20, 'x'));  // past the buffer, so bytes reached the disk
    }
    EXPECT_EQ("old", test::read_file(target));
    {
        SafeFileWriter out(target);
        out.write_line("new");
        EXPECT_EQ("old", test::read_file(target));
        out.commit();
    }
    EXPECT_EQ("new\r\n", test::read_file(target));
    EXPECT_EQ("out.txt", test::list_folder(dir.path()));
    struct stat st {};
    ASSERT_EQ(0, ::stat(target.c_str(), &st));
    EXPECT_EQ(0640u, st.st_mode & 0777);
}

TEST(SafeFileWriter, FullDeviceIsWrittenInPlaceAndFails) {
    EXPECT_THAT([] { replace_file_safely("/dev/full", std::string(2 << 20, 'x')); },
                testing::ThrowsMessage<FileError>("Cannot write file /dev/full. No space left on device"));
    struct stat st {};
    ASSERT_EQ(0, ::stat("/dev/full", &st));
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST(OutputFile, BorrowedDescriptorIsLeftOpenAndFailsUnderItsName) {
    test::TempDir dir;
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
    EXPECT_THAT([&] { out->close(); }, testing::ThrowsMessage<FileError>(
                                           "Cannot write file standard output. No space left on device"));
    ::close(full);
}

}  // namespace
}  // namespace qvr
