#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "batch_harness.h"
#include "engine/propose_encoding.h"

namespace qvr::test {
namespace {

using std::chrono::steady_clock;

// A terabyte with a few lines in front (a sparse file): the proposal judges a sample, so a sample of the
// lines ends at once instead of after the whole terabyte was read.
TEST(BatchEncoding, TheProposalReadsABoundedSampleOfAHugeInput) {
    TempDir dir;
    const std::string input =
        dir.write("huge.txt", "line 1\r\nline 2\r\nline 3\r\nline 4\r\nline 5\r\nline 6\r\n");
    const int fd = ::open(input.c_str(), O_WRONLY);
    ASSERT_EQ(0, ::ftruncate(fd, off_t{1} << 40)) << "sparse files are needed here";
    ::close(fd);
    for (const char* way : {"--no-header", "--fast"}) {
        const auto start = steady_clock::now();
        const BatchOutcome r = run_batch_in_process(
            {"extract", "--input", input, "--output", "-", "--field", "L:1:6", "--sample", "5", way});
        EXPECT_LT(steady_clock::now() - start, std::chrono::seconds(5)) << way;
        EXPECT_EQ(0, r.status) << r.err;
        EXPECT_EQ("line 1\r\nline 2\r\nline 3\r\nline 4\r\nline 5\r\n", r.out);
        EXPECT_EQ("Number of lines generated: 5\nEncoding: Windows-1252\n", r.err);
    }
}

// One bad byte among a thousand characters leaves a UTF-8 file cut by characters, and the run counts it;
// characters beyond the sample in a file proposed as Windows-1252 are told and fail the run.
TEST(BatchEncoding, EveryRunNamesItsEncodingAndWhatItMetBeyondTheSample) {
    TempDir dir;
    std::string accents, ones;
    for (int i = 0; i < 1000; ++i) {
        accents += "\xC3\xA9t\xC3\xA9 1\n";
        ones += "1\n";
    }
    const std::string rare = dir.write("rare.txt", accents + "\xFFt\xC3\xA9 2\n");
    std::string ascii_lines;
    for (std::uint64_t i = 0; i < kProposalHeadBytes / 1024; ++i)
        ascii_lines += std::string(1023, 'a') + "\n";
    const std::string late =
        dir.write("late.txt", ascii_lines + accents + ascii_lines.substr(0, kProposalTailBytes));
    const Args output = {"--output", "-", "--no-header", "--line-end", "lf", "--field", "F:5:1"};
    const auto bytes = [](int characters) {
        return "Encoding: Windows-1252, but the input holds " + std::to_string(characters) +
               " UTF-8 characters beyond ASCII, each cut as 2 to 4 columns: in UTF-8 they are one each";
    };
    const std::string one_invalid = "Encoding: UTF-8 (1 invalid byte kept as it is)\n";
    const std::tuple<Args, int, std::string> cases[] = {
        {{"--input", rare, "--sorted"}, 0, "Number of lines generated: 1001\n" + one_invalid},
        {{"--input", rare, "--fast"}, 0, "Number of lines generated: 1001\n" + one_invalid},
        // Asked for, Windows-1252 is done, with the warning; proposed, it fails the run.
        {{"--input", rare, "--encoding", "cp1252", "--sample", "1"},
         0,
         "Number of lines generated: 1\n" + bytes(2001) + "\n"},
        {{"--input", late, "--fast"},
         1,
         "Number of lines generated: 66600\nquarvel-batch: " + late + ": " + bytes(2000) +
             " (--encoding utf-8).\n"},
        {{"--input", late, "--fast", "--encoding", "utf-8", "--contains", "1"},
         0,
         "Number of lines generated: 1000\nEncoding: UTF-8\n"},
    };
    for (const auto& [args, status, err] : cases) {
        const BatchOutcome r = run_batch_in_process(join({{"extract"}, args, output}));
        EXPECT_EQ(status, r.status) << err;
        EXPECT_EQ(err, r.err);
    }
    EXPECT_EQ(ones + "2\n", run_batch_in_process(join({{"extract", "--input", rare}, output})).out);
    const BatchOutcome table = run_batch_in_process({"dbf", "--input", rare, "--field", "F:5:1"});
    EXPECT_EQ(0, table.status);
    EXPECT_EQ(dir.file("rare.dbf") + " generated\n" + one_invalid, table.err);
}

// The README's example converted to UTF-8 reads as the original in the commands that map columns: the
// check fits the layout (its few damaged lines told, no problem), detect finds the same fields, analyse
// the same line lengths (its size in bytes aside); a column is a character, as in the extract. Read as
// Windows-1252, its accented lines are longer.
TEST(BatchEncoding, TheUtf8FormOfTheExampleReadsAsTheOriginalInCheckDetectAndAnalyse) {
    TempDir dir;
    const std::string original = examples_dir() + "customers.txt";
    const std::string utf8 = dir.write("customers.txt", utf8_of_cp1252(read_file(original)));
    const Args commands[] = {
        {"check", "--layout", examples_dir() + "customers.tab"}, {"detect", "--output", "-"}, {"analyse"}};
    for (const Args& command : commands) {
        const auto run = [&](const std::string& input, const std::string& encoding) {
            const BatchOutcome r =
                run_batch_in_process(join({{command[0], "--input", input, "--encoding", encoding},
                                           Args(command.begin() + 1, command.end())}));
            EXPECT_EQ(0, r.status) << command[0] << " " << encoding << r.err;
            const std::size_t size = r.out.find("Size (bytes)");
            return size == std::string::npos ? r.out
                                             : r.out.substr(0, size) + r.out.substr(r.out.find('\n', size));
        };
        const std::string expected = run(original, "auto");
        EXPECT_EQ(expected, run(utf8, "utf-8")) << command[0];
        EXPECT_EQ(expected, run(utf8, "auto")) << command[0];
        const BatchOutcome bytes =
            run_batch_in_process(join({{command[0], "--input", utf8, "--encoding", "cp1252"},
                                       Args(command.begin() + 1, command.end())}));
        EXPECT_NE(expected, bytes.out) << command[0];
    }
}

}  // namespace
}  // namespace qvr::test
