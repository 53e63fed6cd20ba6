#include <gtest/gtest.h>

#include "batch_harness.h"
#include "support/temp_dir.h"

namespace qvr::test {
namespace {

using Args = std::vector<std::string>;

TEST(BatchDetect, WritesTheFoundFieldsAsADefinitionFile) {
    TempDir dir;
    const std::string input = "CODE DATE\r\nX7K 20240131\r\n4QZ 19991205\r\nB2P 20000101\r\n";
    const std::string in = dir.write("in.txt", input), written = dir.file("l.tab");
    const std::string layout = "CODE      1    4    4    \r\nDATE      5    8    12   \r\n";
    const std::string found = "Fields found: 2 (named by the heading line)\n";
    const std::string twelve = "longest 12 (3 lines), most common 12 (3 lines)\n";
    const std::tuple<Args, int, std::string, std::string, std::string> cases[] = {
        {Args{"detect", "--input", in, "--output", "-"}, 0, layout, found, "<missing>"},
        {Args{"detect", "--input", in, "--output", written}, 0, "", found, layout},
        {Args{"detect", "--input", in, "--output", written}, 1, "",
         "Field definition file already exists: " + written + " (--overwrite replaces it).\n", layout},
        {Args{"detect", "--input", dir.write("bin.txt", std::string("\0\1\2\3\r\n\4\5", 8)), "--output", "-"},
         1, "", "The file " + dir.file("bin.txt") + " holds binary data, not fixed-column text.\n", layout},
        {Args{"detect", "--input", dir.write("empty.txt", ""), "--output", "-"}, 1, "",
         "The file " + dir.file("empty.txt") + " holds no text to find fields in.\n", layout},
        // The heading line is no data to the check: it ends before the last field.
        {Args{"check", "--input", in, "--layout", written}, 1,
         "Lines: 4\nLine length: shortest 9 (1 line), " + twelve +
             "Lines shorter than the end of the last field (column 12): 1, the first at line 1\n",
         "", layout},
        {Args{"check", "--input", dir.write("data.txt", input.substr(11)), "--field", "A:1:3", "--field",
              "B:5:8"},
         0, "Lines: 3\nLine length: shortest 12 (3 lines), " + twelve + "No problem found.\n", "", layout},
    };
    for (const auto& [args, status, out, err, file] : cases) {
        const BatchOutcome r = run_batch_in_process(args);
        EXPECT_EQ(status, r.status) << err;
        EXPECT_EQ(out, r.out);
        EXPECT_EQ(err, r.err);
        EXPECT_EQ(file, read_file(written));
    }
}

}  // namespace
}  // namespace qvr::test
