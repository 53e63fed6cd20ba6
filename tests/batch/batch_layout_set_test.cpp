// A layout-set file given to --layout stands for its --records, --layout VALUE=FILE and --carry.

#include <gtest/gtest.h>

#include "batch_harness.h"
#include "fields/definition_file.h"
#include "fields/layout_set.h"
#include "support/nacha_file.h"

namespace qvr::test {
namespace {

TEST(BatchLayoutSet, ASetFileRunsAsItsOptionsWould) {
    TempDir dir;
    const std::string input = dir.write("pay.ach", nacha_file({50, 20, 3, 7, "\r\n"}) + "Xodd\r\n");
    LayoutSet set;
    Args spelled = {"extract", "--input", input, "--records", "1:1", "--carry", "5:BatchNum"};
    for (const NachaLayout& layout : nacha_layouts()) {
        const std::string tab = examples_dir() + "/nacha/" + layout.file;
        spelled.insert(spelled.end(), {"--layout", std::string(1, layout.type) + "=" + tab});
        set.tables.push_back({std::string(1, layout.type), parse_definition_text(read_file(tab))});
    }
    set.carries = {{"5", "BatchNum"}};
    const std::string set_path = dir.write("nacha.tabs", layout_set_text(set));
    spelled.insert(spelled.end(), {"--output", dir.file("a-{type}.csv")});
    const BatchOutcome a = run_batch_in_process(spelled);
    const BatchOutcome b = run_batch_in_process(
        {"extract", "--input", input, "--layout", set_path, "--output", dir.file("b-{type}.csv")});
    EXPECT_EQ(1, a.status) << a.err;  // the X record has no table
    EXPECT_EQ(1, b.status) << b.err;
    for (const char type : std::string("156789"))
        EXPECT_EQ(read_file(dir.file(std::string("a-") + type + ".csv")),
                  read_file(dir.file(std::string("b-") + type + ".csv")))
            << type;
    // A set that says what is not understood is refused, naming its line.
    const BatchOutcome c =
        run_batch_in_process({"extract", "--input", input, "--layout",
                              dir.write("bad.tabs", "QUARVEL LAYOUT SET 1\r\nRECORDS 1:x\r\n"), "--output",
                              dir.file("c-{type}.csv")});
    EXPECT_EQ(1, c.status);
    EXPECT_NE(std::string::npos, c.err.find("bad.tabs line 2: the type columns are not START:LENGTH."))
        << c.err;
}

}  // namespace
}  // namespace qvr::test
