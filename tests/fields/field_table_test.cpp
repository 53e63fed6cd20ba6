#include "fields/field_table.h"

#include <gtest/gtest.h>

namespace qvr {
namespace {

using Cells = std::array<std::string, 3>;  // start, length, end

struct CommitCase {
    int edited_column;
    Cells before;
    Cells after;
};

TEST(FieldTable, CommitDerivesTheRow) {
    const CommitCase cases[] = {
        {FieldTable::kStart, {"5", "", ""}, {"5", "1", "5"}},
        {FieldTable::kLength, {"0012", "3", "99"}, {"12", "3", "14"}},
        {FieldTable::kEnd, {"5", "2", "20"}, {"5", "16", "20"}},
        {FieldTable::kEnd, {"5", "2", "3"}, {"5", "1", "5"}},
        {FieldTable::kEnd, {"", "4", ""}, {"1", "1", "1"}},
        {FieldTable::kStart, {"007", "abc", "x"}, {"7", "1", "7"}},
        {FieldTable::kStart, {"-3", "-2", ""}, {"-3", "-2", "-6"}},  // only 0 becomes 1
        {FieldTable::kName, {"x", "y", "z"}, {"x", "y", "z"}},
        // Near the 32-bit limits the derived number stays in range and the row stays consistent.
        {FieldTable::kLength, {"2147483647", "10", ""}, {"2147483647", "1", "2147483647"}},
        {FieldTable::kStart, {"2147483000", "2147483647", ""}, {"2147483000", "648", "2147483647"}},
        {FieldTable::kStart, {"-2147483648", "-5", ""}, {"-2147483648", "1", "-2147483648"}},
        {FieldTable::kEnd, {"-2147483648", "", "2147483647"}, {"-2147483648", "2147483647", "-2"}},
        {FieldTable::kLength, {"2147483648", "3", ""}, {"1", "3", "3"}},  // out of range reads as 0
    };
    for (const CommitCase& c : cases) {
        FieldTable table;
        table.set_cell(FieldTable::kName, 1, "name");
        for (int col = 1; col <= 3; ++col)
            table.set_cell(col, 1, c.before[static_cast<std::size_t>(col - 1)]);
        table.commit_row(1, c.edited_column);
        Cells got = {table.cell(1, 1), table.cell(2, 1), table.cell(3, 1)};
        EXPECT_EQ(c.after, got) << "column " << c.edited_column << " before " << c.before[0] << ","
                                << c.before[1] << "," << c.before[2];
        EXPECT_EQ("name", table.cell(FieldTable::kName, 1));
    }
}

TEST(FieldTable, CheckFindsTheFirstRowWithoutStartOrLength) {
    struct Case {
        std::vector<Cells> rows;
        int failing;
    };
    const Case cases[] = {
        {{{"1", "10", "10"}}, 0}, {{{"1", "10", ""}}, 0},  // the end position is not checked
        {{{"", "10", "10"}}, 1},  {{{"1", "0", "10"}}, 1}, {{{"1", "2", ""}, {"3", "", ""}, {"", "", ""}}, 2},
        {{{"-1", "-2", ""}}, 0},  // negative numbers pass; cutting gives empty fields
    };
    for (const Case& c : cases) {
        FieldTable table;
        table.set_row_count(static_cast<int>(c.rows.size()));
        for (int r = 1; r <= table.row_count(); ++r)
            for (int col = 1; col <= 3; ++col)
                table.set_cell(col, r,
                               c.rows[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(col - 1)]);
        EXPECT_EQ(c.failing, table.first_unusable_row());
    }
}

}  // namespace
}  // namespace qvr
