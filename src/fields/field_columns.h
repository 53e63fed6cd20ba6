#pragma once

#include <cstddef>
#include <vector>

#include "fields/field_table.h"

namespace qvr {

/// Columns that the same fields cover: one field, or several that overlap there.
struct FieldColumns {
    std::size_t first = 0;  ///< 0-based
    std::size_t last = 0;   ///< inclusive
    std::vector<int> rows;  ///< the data rows of the fields, in table order

    bool operator==(const FieldColumns&) const = default;
};

/// The columns of the table's fields, in column order, as cutting takes them (from column 1 when the
/// start is below it, nothing for a length of 0 or less); runs change where a field begins or ends, and
/// columns that no field covers are left out.
std::vector<FieldColumns> field_column_runs(const FieldTable& table);

}  // namespace qvr
