#include <gtest/gtest.h>

#include "batch_harness.h"
#include "support/temp_dir.h"

namespace qvr::test {
namespace {

using Args = std::vector<std::string>;

const std::string kExtract = "quarvel-batch extract --input FILE --output FILE|- LAYOUT [options]\n";
const std::string kDbf =
    "quarvel-batch dbf     --input FILE [--output FILE.dbf] LAYOUT [--trim] [--lower TEXT] [--upper TEXT] "
    "[--contains TEXT] [--overwrite]\n";
const std::string kAnalyse = "quarvel-batch analyse --input FILE\n";
const std::string kExtractUsage = "Usage: " + kExtract;
const std::string kDbfUsage = "Usage: " + kDbf;
const std::string kAnalyseUsage = "Usage: " + kAnalyse;
const std::string kDetectUsage =
    "Usage: quarvel-batch detect  --input FILE --output LAYOUT.tab|- [--lines N] [--overwrite]\n";
const std::string kCheckUsage = "Usage: quarvel-batch check   --input FILE LAYOUT\n";
const std::string kAllUsage = "Usage: " + kExtract + "       " + kDbf + "       " + kAnalyse + "       " +
                              kDetectUsage.substr(7) + "       " + kCheckUsage.substr(7) +
                              "       quarvel-batch --help | --version\n";
const std::string kTry = "Try 'quarvel-batch --help' for more.\n";

TEST(BatchUsage, UsageErrorsNameTheProblemAndShowTheUsageLine) {
    TempDir dir;
    const std::string in = dir.write("in.txt", "abc\r\n");
    const std::string out = dir.file("out.txt");
    const Args extract = {"extract", "--input", in, "--output", out};
    auto with = [](Args args, const Args& more) {
        args.insert(args.end(), more.begin(), more.end());
        return args;
    };
    struct Case {
        Args args;
        std::string err;
    };
    const Case cases[] = {
        {{}, "quarvel-batch: no command given\n" + kAllUsage},
        {{"extrakt"}, "quarvel-batch: unknown command 'extrakt'\n" + kAllUsage},
        {with(extract, {"--field", "A:1:3", "--fast", "--sorted"}),
         "quarvel-batch: --fast cannot be used with --sorted\n" + kExtractUsage},
        {with(extract, {"--unique", "--field", "A:1:3", "--fast"}),
         "quarvel-batch: --fast cannot be used with --unique\n" + kExtractUsage},
        {with(extract, {"--fast", "--numbers", "--field", "A:1:3"}),
         "quarvel-batch: --fast cannot be used with --numbers\n" + kExtractUsage},
        {{"extract", "--input", in, "--field", "A:1:3"},
         "quarvel-batch: --output is missing\n" + kExtractUsage},
        {extract, "quarvel-batch: the layout (--layout FILE.tab or --field NAME:START:LENGTH) is missing\n" +
                      kExtractUsage},
        {with(extract, {"--layout", "x.tab", "--field", "A:1:3"}),
         "quarvel-batch: --layout and --field cannot be used together\n" + kExtractUsage},
        {with(extract, {"--field", "A:1"}),
         "quarvel-batch: --field 'A:1' is not NAME:START:LENGTH\n" + kExtractUsage},
        {with(extract, {"--field", "A:1:3", "--frobnicate"}),
         "quarvel-batch: unknown argument '--frobnicate'\n" + kExtractUsage},
        {with(extract, {"--field", "A:1:3", "--lower"}),
         "quarvel-batch: --lower needs a value\n" + kExtractUsage},
        {with(extract, {"--field", "A:1:3", "--input", in}),
         "quarvel-batch: --input is given twice\n" + kExtractUsage},
        {{"dbf", "--input", in, "--field", "A:1:3", "--sorted"},
         "quarvel-batch: --sorted is not an option of dbf\n" + kDbfUsage},
        {{"dbf", "--input", in, "--field", "A:1:3", "--output", "-"},
         "quarvel-batch: the dBase table cannot go to standard output\n" + kDbfUsage},
        {{"analyse"}, "quarvel-batch: --input is missing\n" + kAnalyseUsage},
        {{"detect", "--input", in}, "quarvel-batch: --output is missing\n" + kDetectUsage},
        {{"detect", "--input", in, "--output", "-", "--lines", "0"},
         "quarvel-batch: --lines needs a whole number above 0\n" + kDetectUsage},
        {{"check", "--input", in, "--lines", "5"},
         "quarvel-batch: --lines is not an option of check\n" + kCheckUsage},
        {{"check", "--input", in},
         "quarvel-batch: the layout (--layout FILE.tab or --field NAME:START:LENGTH) is missing\n" +
             kCheckUsage},
    };
    for (const Case& c : cases) {
        BatchOutcome r = run_batch_in_process(c.args);
        EXPECT_EQ(2, r.status) << c.err;
        EXPECT_EQ(c.err + kTry, r.err);
        EXPECT_EQ("", r.out);
    }
    EXPECT_EQ("in.txt", list_folder(dir.path()));
}

TEST(BatchUsage, ValuesAreTakenAsGivenEvenWhenTheyLookLikeOptions) {
    TempDir dir;
    const std::string in = dir.write("in.txt", "--x\r\nab\r\n");
    const std::string out = dir.file("out.txt");
    BatchOutcome r = run_batch_in_process(
        {"extract", "--input", in, "--output", out, "--contains", "--", "--field", "--sorted:1:3"});
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("--sorted\r\n--x\r\n", read_file(out));
    r = run_batch_in_process({"extract", "--input", in, "--output", out, "--overwrite", "--lower", "--help",
                              "--field", "--version:1:3", "--no-header"});
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("--x\r\nab\r\n", read_file(out));
}

TEST(BatchUsage, HelpShowsEveryUsageLineAndVersionNamesTheRelease) {
    const BatchOutcome help = run_batch_in_process({"--help"});
    EXPECT_EQ(0, help.status);
    EXPECT_EQ("", help.err);
    EXPECT_EQ(kAllUsage, help.out.substr(help.out.find("Usage:"), kAllUsage.size()));
    // Asked of a command, the help is the same.
    EXPECT_EQ(help.out, run_batch_in_process({"dbf", "--trim", "--help"}).out);
    EXPECT_EQ("quarvel-batch 3.44\n", run_batch_in_process({"--version"}).out);
}

}  // namespace
}  // namespace qvr::test
