#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "engine/fast_extract.h"
#include "engine/standard_extract.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

using test::read_file;
using test::TempDir;

// Both ways of the run write to a descriptor opened elsewhere (standard output), after what its owner
// wrote, and leave it open; no file of the name that stands for it is made.
TEST(ResultDescriptor, BothWaysWriteToAnOpenDescriptorAndLeaveItOpen) {
    struct Case {
        const char* way;
        void (*run)(const ExtractJob&, RunTally&);
        std::string written;
    };
    const Case cases[] = {
        {"standard", [](const ExtractJob& j, RunTally& t) { standard_extract(j, {}, t); },
         "before\r\nLine\r\nb\r\na\r\nafter"},
        {"fast", [](const ExtractJob& j, RunTally& t) { fast_extract(j, {}, t); },
         "before\r\nb\r\na\r\nafter"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        ExtractJob job;
        job.input_path = dir.write("in.txt", "b\r\na\r\n");
        job.output_path = "standard output";
        job.slices = {{1, 20}};
        job.names = {"Line"};
        job.separator = ";";
        job.header = true;
        const std::string sink = dir.file("sink.txt");
        job.output_fd = ::open(sink.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_LE(0, job.output_fd);
        EXPECT_EQ(8, ::write(job.output_fd, "before\r\n", 8));
        RunTally tally;
        c.run(job, tally);
        EXPECT_EQ(5, ::write(job.output_fd, "after", 5));
        ::close(job.output_fd);
        EXPECT_EQ(c.written, read_file(sink)) << c.way;
        EXPECT_EQ(2, tally.generated_line_count);
        EXPECT_EQ("in.txt sink.txt", test::list_folder(dir.path()));
    }
}

}  // namespace
}  // namespace qvr
