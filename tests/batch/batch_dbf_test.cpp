#include <gtest/gtest.h>

#include "batch_harness.h"
#include "dbase/dbf_layout.h"

namespace qvr::test {
namespace {

// A table named elsewhere and most filters are the windows' (the equivalence test); here the name beside the
// input, refusals that write nothing, and a filter on trimmed fields.
TEST(BatchDbf, ATableBesideTheInputAndRefusalsThatWriteNothing) {
    TempDir dir;
    const std::string input = dir.write("in.txt", "0001 Alice\r\n0002Bob\r\n0003  Eve \r\n");
    // A table of in.txt, with an id and an unnamed field unless told otherwise.
    auto dbf = [&](const Args& more, const Args& fields = {"--field", "id:1:4", "--field", ":5:6"}) {
        return join({{"dbf", "--input", input}, fields, more});
    };
    const std::string old_table = dir.write("in.dbf", "old"), none = dir.file("none.txt");
    const std::pair<Args, std::string> refusals[] = {
        {dbf({}, {"--field", "a:1:200", "--field", "b:1:55"}),
         "--field: the fields' lengths add up to more than 254, the most a dBase record holds."},
        {dbf({}, {"--field", "a:1:5", "--field", "b:1:0"}),
         "--field 2: a dBase field needs a length of 1 or more."},
        {dbf({}, {"--field", "a:1:x"}), "--field 1: 'x' is not a valid integer value."},
        {dbf({"--output", input}), input + ": the table cannot be written to the input file."},
        {dbf({}), old_table + ": the table already exists (--overwrite replaces it)."},
        {dbf({"--output", " "}), "--output: the table's name is blank: nothing written."},
        {dbf({}, {"--field", "a:x:5", "--output", dir.file("new.dbf")}),
         "--field 1: 'x' is not a valid integer value."},
        {Args{"dbf", "--input", none, "--field", "a:1:5"},
         "Cannot open file " + none + ". No such file or directory."},
    };
    for (const auto& [args, err] : refusals) {
        BatchOutcome r = run_batch_in_process(args);
        EXPECT_EQ(1, r.status) << err;
        EXPECT_EQ("quarvel-batch: " + err + "\n", r.err);
    }
    EXPECT_EQ("in.dbf in.txt", list_folder(dir.path()));
    EXPECT_EQ("old", read_file(old_table));

    // The filter sees the trimmed fields joined: "0001Alice".
    const BatchOutcome r = run_batch_in_process(dbf({"--overwrite", "--contains", "1A", "--trim"}));
    EXPECT_EQ(0, r.status);
    EXPECT_EQ(old_table + " generated\nEncoding: Windows-1252\n", r.err);
    EXPECT_EQ(dbf_header({{"ID", 4}, {"FIELD 2", 6}}, 1) + " 0001 Alice\x1A", read_file(old_table));
}

TEST(BatchDetect, WritesTheFoundFieldsAsADefinitionFile) {
    TempDir dir;
    const std::string input = "CODE DATE\r\nX7K 20240131\r\n4QZ 19991205\r\nB2P 20000101\r\n";
    const std::string in = dir.write("in.txt", input), written = dir.file("l.tab");
    const std::string layout = "CODE      1    4    4    \r\nDATE      5    8    12   \r\n";
    const std::string found = "Fields found: 2 (named by the heading line)\n";
    const std::string twelve = "longest 12 (3 lines), most common 12 (3 lines)\n";
    const std::tuple<Args, int, std::string, std::string> cases[] = {
        {Args{"detect", "--input", in, "--output", "-"}, 0, layout, found},
        {Args{"detect", "--input", in, "--output", "-", "--lines", "2147483648"}, 0, layout, found},
        {Args{"detect", "--input", in, "--output", written}, 0, "", found},
        {Args{"detect", "--input", in, "--output", written}, 1, "",
         "quarvel-batch: " + written +
             ": the field definition file already exists (--overwrite replaces it).\n"},
        {Args{"detect", "--input", dir.write("bin.txt", std::string("\0\1\2\3\r\n\4\5", 8)), "--output", "-"},
         1, "",
         "quarvel-batch: " + dir.file("bin.txt") + ": the file holds binary data, not fixed-column text.\n"},
        {Args{"detect", "--input", dir.write("empty.txt", ""), "--output", "-"}, 1, "",
         "quarvel-batch: " + dir.file("empty.txt") + ": the file holds no text to find fields in.\n"},
        // The heading line is no data to the check: it ends before the last field.
        {Args{"check", "--input", in, "--layout", written}, 1,
         "Lines: 4\nLine length: shortest 9 (1 line), " + twelve +
             "Lines shorter than the end of the last field (column 12): 1, the first at line 1\n",
         ""},
        {Args{"check", "--input", dir.write("data.txt", input.substr(11)), "--field", "A:1:3", "--field",
              "B:5:8"},
         0, "Lines: 3\nLine length: shortest 12 (3 lines), " + twelve + "No problem found.\n", ""},
    };
    for (const auto& [args, status, out, err] : cases) {
        const BatchOutcome r = run_batch_in_process(args);
        EXPECT_EQ(status, r.status) << err;
        EXPECT_EQ(out, r.out);
        EXPECT_EQ(err, r.err);
    }
    EXPECT_EQ(layout, read_file(written));
}

// The example's five fields, found past its short and overlong lines, which the check then tells apart.
TEST(BatchDetect, TheExampleGivesItsOwnFieldsAndTheCheckAcceptsThem) {
    TempDir dir;
    const std::string in = examples_dir() + "customers.txt", written = dir.file("found.tab");
    EXPECT_EQ(0, run_batch_in_process({"detect", "--input", in, "--output", written}).status);
    const std::string own = read_file(examples_dir() + "customers.tab");
    std::string found = read_file(written);
    for (const char* name : {"Code    ", "Name    ", "City    ", "Date    ", "Amount  "})
        found.replace(found.find("FIELD"), 8, name);
    EXPECT_EQ(own, found);
    const BatchOutcome r = run_batch_in_process({"check", "--input", in, "--layout", written});
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("The layout fits every other line.\n", r.out.substr(r.out.rfind('\n', r.out.size() - 2) + 1));
}

}  // namespace
}  // namespace qvr::test
