#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "common/text_encoding.h"
#include "fields/field_table.h"

namespace qvr {

/// The slice of a line that a field covers, in the columns of the line's encoding: from column
/// max(start, 1), at most `length` columns, fewer when the line ends earlier, none when the length is 0
/// or less or the line ends before the start. Every cut of a line into fields goes through here.
inline std::string_view field_slice(LineColumns& line, FieldSlice slice) {
    if (slice.length <= 0) return {};
    // A start of 0 or below counts as column 1, the length unchanged.
    const std::size_t first = slice.start < 1 ? 0 : static_cast<std::size_t>(slice.start) - 1;
    return line.slice(first, static_cast<std::size_t>(slice.length));
}

/// field_slice() of one field of `line`; for several fields of a line, one LineColumns walks it once.
inline std::string_view field_slice(std::string_view line, FieldSlice slice,
                                    TextEncoding encoding = TextEncoding::cp1252) {
    LineColumns columns(line, encoding);
    return field_slice(columns, slice);
}

/// How many first columns of a line the slices read (the end of the farthest one).
std::uint64_t columns_used(const std::vector<FieldSlice>& slices);

/// How many first bytes of a line in `encoding` can hold the columns the slices read; the rest of a line
/// cannot change its cut, so a line read for cutting alone need not be held beyond them.
inline std::uint64_t bytes_used(const std::vector<FieldSlice>& slices, TextEncoding encoding) {
    return columns_used(slices) * most_bytes_per_column(encoding);
}

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
