#include "batch/batch_usage.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "batch_harness.h"

namespace qvr::test {
namespace {

const std::string kExtract = "quarvel-batch extract --input FILE --output FILE|- LAYOUT [options]\n";
const std::string kDbf =
    "quarvel-batch dbf     --input FILE [--output FILE.dbf] LAYOUT [--trim] [--lower TEXT] [--upper TEXT] "
    "[--contains TEXT] [--encoding E] [--overwrite]\n";
const std::string kAnalyse = "quarvel-batch analyse --input FILE\n";
const std::string kDetect =
    "quarvel-batch detect  --input FILE --output LAYOUT.tab|- [--lines N] [--overwrite]\n";
const std::string kCheck = "quarvel-batch check   --input FILE LAYOUT [--encoding E]\n";
const std::string kAll = kExtract + "       " + kDbf + "       " + kAnalyse + "       " + kDetect +
                         "       " + kCheck + "       quarvel-batch --help | --version\n";

TEST(BatchUsage, UsageErrorsAndValuesThatLookLikeOptions) {
    TempDir dir;
    const std::string in = dir.write("in.txt", "--x\r\nab\r\n"), out = dir.file("out.txt");
    // An extract with its files and, unless told otherwise, a field.
    auto x = [&](const Args& more, const Args& field = {"--field", "A:1:3"}) {
        return join({{"extract", "--input", in, "--output", out}, field, more});
    };
    const std::string layout = "the layout (--layout FILE.tab or --field NAME:START:LENGTH) is missing";
    const std::tuple<Args, std::string, std::string> cases[] = {
        {{}, "no command given", kAll},
        {Args{"extrakt"}, "unknown command 'extrakt'", kAll},
        {x({"--fast", "--sorted"}), "--fast cannot be used with --sorted", kExtract},
        {x({"--fast"}, {"--unique", "--field", "A:1:3"}), "--fast cannot be used with --unique", kExtract},
        {x({"--fast", "--numbers"}), "--fast cannot be used with --numbers", kExtract},
        {Args{"extract", "--input", in, "--field", "A:1:3"}, "--output is missing", kExtract},
        {x({}, {}), layout, kExtract},
        {x({"--layout", "x.tab"}), "--layout and --field cannot be used together", kExtract},
        {x({"--field", "A:1"}, {}), "--field 'A:1' is not NAME:START:LENGTH", kExtract},
        {x({"--frobnicate"}), "unknown argument '--frobnicate'", kExtract},
        {x({"--lower"}), "--lower needs a value", kExtract},
        {x({"--input", in}), "--input is given twice", kExtract},
        {x({"--sample", "1O"}), "--sample '1O' is not a whole number", kExtract},
        {x({"--encoding", "latin1"}), "--encoding 'latin1' is not cp1252, utf-8 or auto", kExtract},
        {x({"--line-end=cr"}), "--line-end 'cr' is not crlf or lf", kExtract},
        {x({"--", "--tab"}), "unknown argument '--tab'", kExtract},
        {x({"-t"}), "unknown argument '-t'", kExtract},
        {x({"--s", "1"}), "unknown argument '--s'", kExtract},
        {x({"--memory", "lots"}), "--memory needs a size such as 512M or 2G", kExtract},
        {Args{"dbf", "--input", in, "--field", "A:1:3", "--sorted"}, "--sorted is not an option of dbf",
         kDbf},
        {Args{"dbf", "--input", in, "--field", "A:1:3", "--output", "-"},
         "the dBase table cannot go to standard output", kDbf},
        {Args{"dbf", "--input", "-", "--field", "A:1:3"},
         "--output (the table's name, as the input is standard input) is missing", kDbf},
        {Args{"analyse"}, "--input is missing", kAnalyse},
        {Args{"detect", "--input", in}, "--output is missing", kDetect},
        {Args{"detect", "--input", in, "--output", "-", "--lines", "0"},
         "--lines needs a whole number from 1 to 18446744073709551615", kDetect},
        {Args{"detect", "--input", in, "--output", "-", "--lines", "18446744073709551616"},
         "--lines needs a whole number from 1 to 18446744073709551615", kDetect},
        {Args{"detect", "--input", in, "--output", "-", "--lines", "+5"},
         "--lines needs a whole number from 1 to 18446744073709551615", kDetect},
        {x({"--quote", "--separator", "\""}), "--quote cannot be used with a separator holding a quote (\")",
         kExtract},
        {x({"--quote", "--separator", "|\"|"}),
         "--quote cannot be used with a separator holding a quote (\")", kExtract},
        {Args{"check", "--input", in, "--lines", "5"}, "--lines is not an option of check", kCheck},
        {Args{"check", "--input", in}, layout, kCheck},
    };
    const std::string try_help = "Try 'quarvel-batch --help' for more.\n";
    for (const auto& [args, problem, usage] : cases) {
        BatchOutcome r = run_batch_in_process(args);
        EXPECT_EQ(2, r.status) << problem;
        EXPECT_EQ("quarvel-batch: " + problem + "\nUsage: " + usage + try_help, r.err);
        EXPECT_EQ("", r.out);
    }
    EXPECT_EQ("in.txt", list_folder(dir.path()));

    // Values are taken as given even when they look like options.
    const std::pair<Args, std::string> values[] = {
        {{"--input", in, "--output", out, "--contains", "--", "--field", "--sorted:1:3"},
         "--sorted\r\n--x\r\n"},
        {{"--input", in, "--output", out, "--overwrite", "--lower", "--help", "--field", "--version:1:3",
          "--no-header"},
         "--x\r\nab\r\n"},
        // The GNU forms: a value after "=", a unique abbreviation, "--" ending the options.
        {{"--inp=" + in, "--out", out, "--overw", "--field=N:1:2", "--sample=1", "--"}, "N\r\n--\r\n"},
        // A name holding a colon; the tab wins over a separator (the other options: the equivalence test).
        {{"--input", in, "--output", out, "--overwrite", "--separator", "|", "--tab", "--field", "a:b:1:1",
          "--field", ":2:1"},
         "a:b\t\r\n-\t-\r\na\tb\r\n"},
        // A quoting separator is no quote once the tab replaces it.
        {{"--input", in, "--output", out, "--overwrite", "--quote", "--separator", "\"", "--tab", "--field",
          "a:1:1", "--field", "b:2:2"},
         "a\tb\r\n-\t-x\r\na\tb\r\n"},
    };
    for (const auto& [args, file] : values) {
        EXPECT_EQ(0, run_batch_in_process(join({{"extract"}, args})).status) << file;
        EXPECT_EQ(file, read_file(out));
    }
}

// The manual page is written by hand; it must name exactly the options the program's help names.
TEST(ManualPage, NamesTheOptionsOfTheHelp) {
    auto options_in = [](const std::string& text) {
        const std::regex option("--[a-z][a-z-]*");
        return std::set<std::string>(std::sregex_token_iterator(text.begin(), text.end(), option),
                                     std::sregex_token_iterator());
    };
    const std::string page = read_file(examples_dir() + "/../data/man/quarvel-batch.1");
    EXPECT_EQ(options_in(help_text()), options_in(std::regex_replace(page, std::regex(R"(\\-)"), "-")));
}

}  // namespace
}  // namespace qvr::test
