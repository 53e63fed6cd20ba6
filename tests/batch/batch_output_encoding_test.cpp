#include <gtest/gtest.h>
#include <sys/wait.h>

#include "batch_harness.h"
#include "common/text_convert.h"

namespace qvr::test {
namespace {

/// What `command` prints, run by the shell, and its exit status.
std::pair<std::string, int> shell(const std::string& command) {
    std::FILE* pipe = ::popen(command.c_str(), "r");
    std::string out = read_stream(pipe);
    const int status = ::pclose(pipe);
    return {out, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

// A Windows-1252 result asked for in UTF-8 is, byte for byte, what iconv makes of today's result, in
// every kind of run.
TEST(OutputEncoding, Windows1252WrittenInUtf8IsIconvOfTheSameResult) {
    TempDir dir;
    const Args job = {"--input",    examples_dir() + "/customers.txt",
                      "--layout",   examples_dir() + "/customers.tab",
                      "--encoding", "cp1252",
                      "--overwrite"};
    for (const Args& way :
         {Args{}, Args{"--sorted", "--numbers"}, Args{"--fast"}, Args{"--quote", "--trim"}}) {
        ASSERT_EQ(
            0, run_batch_in_process(join({{"extract", "--output", dir.file("same.txt")}, job, way})).status);
        const BatchOutcome utf8 = run_batch_in_process(
            join({{"extract", "--output", dir.file("utf8.txt"), "--output-encoding", "utf-8"}, job, way}));
        EXPECT_EQ(0, utf8.status) << utf8.err;
        const auto [converted, status] = shell("iconv -f cp1252 -t utf-8 '" + dir.file("same.txt") + "'");
        ASSERT_EQ(0, status);
        EXPECT_NE(converted, read_file(dir.file("same.txt")));  // the file holds accents
        EXPECT_EQ(converted, read_file(dir.file("utf8.txt"))) << way.size();
    }
}

// Characters Windows-1252 lacks become "?" and are counted; a stray byte stays as it is.
TEST(OutputEncoding, Utf8WrittenInWindows1252ReplacesWhatItLacks) {
    TempDir dir;
    const std::string in =
        dir.write("in.txt", "Zo\xC3\xAB \xE2\x82\xAC \xCE\xA9\r\n\xF0\x9F\x98\x80 \xFF x\r\n");
    const BatchOutcome r =
        run_batch_in_process({"extract", "--input", in, "--output", "-", "--field", "A:1:6", "--no-header",
                              "--encoding", "utf-8", "--output-encoding", "cp1252"});
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("Zo\xEB \x80 \r\n? \xFF x\r\n", r.out);
    EXPECT_EQ(
        "Number of lines generated: 2 (1 character replaced by \"?\")\nEncoding: UTF-8 (1 invalid byte kept "
        "as it is)\n",
        r.err);
}

// The conversion waits for a character cut by the end of a piece, whatever the piece sizes.
TEST(OutputEncoding, ACharacterCutBetweenPiecesIsConvertedWhole) {
    const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xC3z\xCE\xA9";
    for (std::size_t piece = 1; piece <= 5; ++piece) {
        TextConverter converter(TextEncoding::utf8);
        std::string out;
        for (std::size_t at = 0; at < text.size(); at += piece)
            converter.convert(std::string_view(text).substr(at, piece), out);
        converter.finish(out);
        EXPECT_EQ("a\xE9\x80?\xC3z?", out) << piece;
        EXPECT_EQ(2u, converter.replaced()) << piece;
    }
}

// Standard input with --encoding auto is settled by its first block; a later line in UTF-8, which a
// Windows-1252 run would cut shifted, fails the run by its number and leaves the former result.
TEST(StandardInput, AutoSettlesByTheFirstBlockAndALaterUtf8LineFailsTheRun) {
    TempDir dir;
    std::string ascii;
    for (int i = 0; i < 2000; ++i) ascii += std::string(99, 'a') + "\r\n";  // past the first block
    const std::string late = dir.write("late.txt", ascii + "\xC3\xA9t\xC3\xA9 1\r\n");
    const std::string early = dir.write("early.txt", "\xC3\xA9t\xC3\xA9 1\r\n" + ascii);
    const std::string result = dir.write("result.txt", "former\r\n");
    const std::string program = std::string(QVR_BATCH_PROGRAM) + " ";
    const std::string fields = " --field A:1:3 --field B:5:1 --no-header --overwrite --output ";
    const std::string line = "Line 2001 holds UTF-8 characters";
    const std::tuple<std::string, std::string, int, std::string> cases[] = {
        {late, "extract --input -" + fields + result, 1, line},
        {late, "extract --input - --sorted" + fields + result, 1, line},
        {late, "dbf --input - --field A:1:3 --overwrite --output " + result, 1, line},
        {late, "extract --input - --fast" + fields + "-", 1, line},
        {late, "extract --input - --encoding cp1252" + fields + "-", 0, "Encoding: Windows-1252, but"},
    };
    for (const auto& [input, command, status, said] : cases) {
        const auto [out, exit] = shell("cat '" + input + "' | " + program + command + " 2>&1 >/dev/null");
        EXPECT_EQ(status, exit) << command;
        EXPECT_NE(std::string::npos, out.find(said)) << out;
        EXPECT_EQ("former\r\n", read_file(result)) << command;
    }
    const auto [said, exit] =
        shell("cat '" + early + "' | " + program + "extract --input -" + fields + result + " 2>&1");
    EXPECT_EQ(0, exit);
    EXPECT_EQ("Number of lines generated: 2001\nEncoding: UTF-8\n", said);
    EXPECT_EQ("\xC3\xA9t\xC3\xA9;1\r\n", read_file(result).substr(0, 9));
}

}  // namespace
}  // namespace qvr::test
