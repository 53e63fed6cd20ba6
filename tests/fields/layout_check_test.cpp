#include "fields/layout_check.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace qvr::test {
namespace {

FieldTable table_of(std::vector<FieldTable::Row> rows) {
    FieldTable table;
    table.assign_rows(std::move(rows));
    return table;
}

TEST(LayoutCheck, ReportsEveryKindOfMisfit) {
    TempDir dir;
    const std::string input = dir.write("in.txt",
                                        "AB 12  X\r\n"
                                        "AB 12  X\r\n"
                                        "AB 12\r\n"
                                        "ABC12 YX  Z\r\n");
    struct Case {
        const char* what;
        FieldTable table;
        std::string report;
        bool problems;
    };
    const Case cases[] = {
        {"lines ending before the last field",
         table_of({{"CODE", "1", "3", "3"}, {"NUM", "4", "4", "7"}, {"FLAG", "8", "4", "11"}}),
         "Lines: 4\nLine length: shortest 5 (1 line), longest 11 (1 line), most common 8 (2 lines)\n"
         "Lines shorter than the end of the last field (column 11): 3, the first at line 1\n",
         true},
        {"every misfit",
         table_of({{"CODE", "1", "2", "2"},
                   {"NUM", "4", "3", "6"},
                   {"B", "6", "1", "6"},
                   {"FLAG", "8", "1", "8"},
                   {"", "0", "3", "2"}}),
         "Lines: 4\nLine length: shortest 5 (1 line), longest 11 (1 line), most common 8 (2 lines)\n"
         "Field 5 has no usable start position and length\n"
         "Lines shorter than the end of the last field (column 8): 1, the first at line 3\n"
         "Lines with text past the last field: 1, the first at line 4\n"
         "Field 2 (NUM) and Field 3 (B) overlap in column 6\n"
         "Text in column 3, which no field covers, the first at line 4\n"
         "Text in column 7, which no field covers, the first at line 4\n"
         "Field 3 (B) is blank on every line\n",
         true},
        {"text past the last field", table_of({{"ALL", "1", "5", "5"}}),
         "Lines: 4\nLine length: shortest 5 (1 line), longest 11 (1 line), most common 8 (2 lines)\n"
         "Lines with text past the last field: 3, the first at line 1\n",
         true},
    };
    for (const Case& c : cases) {
        const LayoutCheck check = check_layout(input, c.table);
        EXPECT_EQ(c.report, check.report) << c.what;
        EXPECT_EQ(c.problems, check.problems) << c.what;
    }
}

}  // namespace
}  // namespace qvr::test
