#include "fields/field_columns.h"

#include <gtest/gtest.h>

namespace qvr {
namespace {

TEST(FieldColumns, RunsChangeWhereAFieldBeginsOrEnds) {
    using Rows = std::vector<FieldTable::Row>;
    const struct {
        Rows rows;
        std::vector<FieldColumns> runs;
    } cases[] = {
        {{{"a", "1", "3", ""}, {"b", "4", "2", ""}}, {{0, 2, {1}}, {3, 4, {2}}}},
        {{{"b", "6", "2", ""}, {"a", "1", "2", ""}}, {{0, 1, {2}}, {5, 6, {1}}}},  // a gap, column order
        {{{"a", "1", "5", ""}, {"b", "3", "5", ""}}, {{0, 1, {1}}, {2, 4, {1, 2}}, {5, 6, {2}}}},
        {{{"a", "2", "6", ""}, {"in", "3", "2", ""}}, {{1, 1, {1}}, {2, 3, {1, 2}}, {4, 6, {1}}}},
        {{{"a", "1", "2", ""}, {"same", "1", "2", ""}}, {{0, 1, {1, 2}}}},
        {{{"neg", "-3", "2", ""}, {"none", "5", "0", ""}, {"x", "", "", ""}}, {{0, 1, {1}}}},  // as cut
    };
    for (const auto& c : cases) {
        FieldTable table;
        table.assign_rows(c.rows);
        EXPECT_EQ(c.runs, field_column_runs(table)) << c.rows[0][0];
    }
}

}  // namespace
}  // namespace qvr
