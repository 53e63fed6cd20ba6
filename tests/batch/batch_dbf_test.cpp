#include <gtest/gtest.h>

#include "batch_harness.h"
#include "dbase/dbf_layout.h"
#include "support/temp_dir.h"

namespace qvr::test {
namespace {

using Args = std::vector<std::string>;

class BatchDbfTest : public ::testing::Test {
  protected:
    /// A table of in.txt, with an id and an unnamed field unless told otherwise.
    Args dbf(const Args& more, Args args = {"--field", "id:1:4", "--field", ":5:6"}) const {
        args.insert(args.begin(), {"dbf", "--input", input});
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }
    /// The table of `records`, each already laid out with its deletion flag.
    static std::string table(const std::vector<std::string>& records) {
        std::string bytes =
            dbf_header({{"ID", 4}, {"FIELD 2", 6}}, static_cast<std::uint32_t>(records.size()));
        for (const std::string& r : records) bytes += r;
        return bytes + "\x1A";
    }

    TempDir dir;
    std::string input = dir.write("in.txt", "0001 Alice\r\n0002Bob\r\n0003  Eve \r\n");
    const std::string every_line = table({" 0001 Alice", " 0002Bob   ", " 0003  Eve "});
};

TEST_F(BatchDbfTest, TableBesideTheInputOrWhereToldWithTheFilter) {
    const std::string beside = dir.file("in.dbf"), elsewhere = dir.file("other.table");
    const std::tuple<Args, std::string, std::string> cases[] = {
        {dbf({}), beside, every_line},
        {dbf({"--output", elsewhere}), elsewhere, every_line},
        {dbf({"--contains", "1A", "--trim"}), beside, table({" 0001 Alice"})},
        {dbf({"--lower", "0002", "--upper", "0003 "}), beside, table({" 0002Bob   "})},
    };
    for (const auto& [args, name, bytes] : cases) {
        BatchOutcome r = run_batch_in_process(args);
        EXPECT_EQ(0, r.status) << name;
        EXPECT_EQ(name + " generated\n", r.err);
        EXPECT_EQ(bytes, read_file(name));
        ::unlink(name.c_str());
    }
}

TEST_F(BatchDbfTest, RefusalsWithTheirTextsWriteNothing) {
    const std::string old_table = dir.write("in.dbf", "old"), none = dir.file("none.txt");
    const std::pair<Args, std::string> cases[] = {
        {dbf({}, {"--field", "a:1:200", "--field", "b:1:55"}), "Total fields length: not more than 254"},
        {dbf({}, {"--field", "a:1:5", "--field", "b:1:0"}),
         "DBF file: the length of row 2 must be at least 1."},
        {dbf({}, {"--field", "a:1:x"}), "'x' is not a valid integer value."},
        {dbf({"--output", input}), "Input and DBF files must be different."},
        {dbf({}), "DBF file already exists: " + old_table + " (--overwrite replaces it)."},
        {dbf({"--output", " "}), "No DBF file name: nothing written."},
        {dbf({}, {"--field", "a:x:5", "--output", dir.file("new.dbf")}), "'x' is not a valid integer value."},
        {Args{"dbf", "--input", none, "--field", "a:1:5"},
         "Cannot open file " + none + ". No such file or directory."},
    };
    for (const auto& [args, err] : cases) {
        BatchOutcome r = run_batch_in_process(args);
        EXPECT_EQ(1, r.status) << err;
        EXPECT_EQ(err + "\n", r.err);
    }
    EXPECT_EQ("in.dbf in.txt", list_folder(dir.path()));
    EXPECT_EQ("old", read_file(old_table));

    EXPECT_EQ(0, run_batch_in_process(dbf({"--overwrite"})).status);
    EXPECT_EQ(every_line, read_file(old_table));
}

}  // namespace
}  // namespace qvr::test
