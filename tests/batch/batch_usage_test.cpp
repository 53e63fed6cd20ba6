#include "batch/batch_usage.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "batch/batch_request.h"
#include "batch_harness.h"

namespace qvr::test {
namespace {

const std::string kExtract = "extract --input FILE|- --output FILE|- LAYOUT [options]\n";
const std::string kDbf = "dbf --input FILE|- LAYOUT [options]\n";
const std::string kAnalyse = "analyse --input FILE|- [options]\n";
const std::string kDetect = "detect --input FILE|- --output LAYOUT.tab|- [options]\n";
const std::string kCheck = "check --input FILE|- LAYOUT [options]\n";
const std::string kLayout = "layout --from FILE --output FILE|- [options]\n";
const std::string kAll =
    "quarvel-batch extract " + kExtract.substr(8) + "       quarvel-batch dbf     " + kDbf.substr(4) +
    "       quarvel-batch analyse " + kAnalyse.substr(8) + "       quarvel-batch detect  " +
    kDetect.substr(7) + "       quarvel-batch check   " + kCheck.substr(6) + "       quarvel-batch layout  " +
    kLayout.substr(7) + "       quarvel-batch --help | --version\n";

TEST(BatchUsage, UsageErrorsAndValuesThatLookLikeOptions) {
    TempDir dir;
    const std::string in = dir.write("in.txt", "--x\r\nab\r\n"), out = dir.file("out.txt");
    // An extract with its files and, unless told otherwise, a field.
    auto x = [&](const Args& more, const Args& field = {"--field", "A:1:3"}) {
        return join({{"extract", "--input", in, "--output", out}, field, more});
    };
    const std::string layout = "the layout (--layout FILE or --field NAME:START:LENGTH) is missing";
    const std::tuple<Args, std::string, std::string> cases[] = {
        {{}, "no command given", kAll},
        {Args{"extrakt"}, "unknown command 'extrakt'", kAll},
        {x({"--fast", "--sorted"}), "--fast cannot be used with --sorted", kExtract},
        {x({"--fast"}, {"--unique", "--field", "A:1:3"}), "--fast cannot be used with --unique", kExtract},
        {x({"--fast", "--numbers"}), "--fast cannot be used with --numbers", kExtract},
        {Args{"extract", "--input", in, "--field", "A:1:3"}, "--output is missing", kExtract},
        {x({}, {}), layout, kExtract},
        {x({"--layout", "x.tab"}), "--layout and --field cannot be used together", kExtract},
        {x({"--field", "A:1"}, {}), "--field 'A:1' is not NAME:START:LENGTH[:TYPE]", kExtract},
        {x({"--field", "A:1:2:dec(x)"}, {}),
         "--field 'A:1:2:dec(x)': 'dec(x)' is not a field type: the implied decimals are a number from 0 to "
         "38",
         kExtract},
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
        {Args{"analyse", "--input", in, "--encoding", "latin1"},
         "--encoding 'latin1' is not cp1252, utf-8 or auto", kAnalyse},
        {Args{"analyse", "--input", in, "-x"}, "unknown argument '-x'", kAnalyse},
        {Args{"layout", "--from", in, "--output", "-"},
         "--to is missing (standard output has no extension to tell the form)", kLayout},
        {Args{"layout", "--from", in, "--output", out, "--to", "cobol"},
         "--to 'cobol' is not tab, csvkit, sql, spark-sql or pandas", kLayout},
    };
    for (const auto& [args, problem, usage] : cases) {
        BatchOutcome r = run_batch_in_process(args);
        EXPECT_EQ(2, r.status) << problem;
        // A command's usage line, and where its options are told.
        const std::string word = usage == kAll ? "" : usage.substr(0, usage.find(' ') + 1);
        EXPECT_EQ("quarvel-batch: " + problem + "\nUsage: " + (word.empty() ? "" : "quarvel-batch ") + usage +
                      "Try 'quarvel-batch " + word + "--help' for more.\n",
                  r.err);
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

// A type may follow the length; a name keeps its colons, a date pattern its own.
TEST(BatchUsage, AFieldMayCarryItsType) {
    const std::pair<const char*, FieldTable::Row> cases[] = {
        {"A:1:5", {"A", "1", "5", ""}},
        {"A:1:5:dec(2)", {"A", "1", "5", "", parse_field_type("dec(2)")}},
        {"a:b:1:5:int", {"a:b", "1", "5", "", parse_field_type("int")}},
        {"T:1:8:date(YYYY:MM:DD)", {"T", "1", "8", "", parse_field_type("date(YYYY:MM:DD)")}}};
    for (const auto& [value, field] : cases) EXPECT_EQ(field, parse_field(value)) << value;
}

// --help and -h, alone or after a command, wherever they stand among its options: the help on standard
// output, nothing checked or run.
TEST(BatchUsage, HelpOfTheProgramAndOfEachCommand) {
    const std::pair<Args, std::string> cases[] = {
        {{"--help"}, help_text()},
        {{"-h"}, help_text()},
        {{"extract", "--help"}, command_help_text(BatchCommand::extract)},
        {{"check", "-h"}, command_help_text(BatchCommand::check)},
        {{"dbf", "--input", "-", "--tr", "-h", "--field", "x"}, command_help_text(BatchCommand::dbf)},
    };
    for (const auto& [args, help] : cases) {
        const BatchOutcome r = run_batch_in_process(args);
        EXPECT_EQ(0, r.status) << args.back();
        EXPECT_EQ(help, r.out);
        EXPECT_EQ("", r.err);
    }
    EXPECT_NE(std::string::npos, help_text().find("\n  detect "));
    EXPECT_NE(std::string::npos, command_help_text(BatchCommand::dbf).find("\n  --output FILE.dbf "));
}

// The manual page as man sets it: no warning from groff, every usage line in its synopsis, and in each
// command's section every option its --help lists, with its value.
TEST(ManualPage, ShowsTheUsageAndTheOptionsOfEachCommandsHelp) {
    TempDir dir;
    const std::string page = dir.write(
        "quarvel-batch.1", manual_page(read_file(examples_dir() + "/../data/man/quarvel-batch.1.in")));
    std::FILE* groff = ::popen(
        ("groff -man -Tascii -rLL=400n -rHY=0 -ww -P-cbou '" + page + "' 2>'" + dir.file("warnings") + "'")
            .c_str(),
        "r");
    const std::string shown = read_stream(groff);
    ASSERT_EQ(0, ::pclose(groff));
    EXPECT_EQ("", read_file(dir.file("warnings")));
    EXPECT_EQ(std::string::npos, shown.find('@')) << "a mark left unfilled";
    const std::regex option("\n  (--[a-z-]+( [^ ]+)?)");
    for (const std::string word : {"extract", "dbf", "analyse", "detect", "check"}) {
        const std::string usage = run_batch_in_process({word, "-x"}).err;
        const std::string synopsis = usage.substr(usage.find("Usage: ") + 7);
        EXPECT_NE(std::string::npos, shown.find("\n       " + synopsis.substr(0, synopsis.find('\n')) + "\n"))
            << synopsis;
        const std::size_t from = shown.find("\n   " + word + "\n");
        ASSERT_NE(std::string::npos, from) << word;
        std::size_t to = from + 1;  // the next heading, indented less than the text under it
        while ((to = shown.find("\n   ", to + 1)) != std::string::npos && shown[to + 4] == ' ') {
        }
        const std::string section = shown.substr(from, to - from);
        const std::string help = run_batch_in_process({word, "--help"}).out;
        for (std::sregex_iterator it(help.begin(), help.end(), option), end; it != end; ++it) {
            // A short tag has its text on the same line.
            const std::string tag = "\n       " + (*it)[1].str();
            EXPECT_TRUE(section.find(tag + "\n") != std::string::npos ||
                        section.find(tag + " ") != std::string::npos)
                << word << " " << (*it)[1];
        }
    }
}

}  // namespace
}  // namespace qvr::test
