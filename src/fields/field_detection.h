#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "fields/column_statistics.h"
#include "fields/field_table.h"

namespace qvr {

/// The fields found in an input file.
struct FieldDetection {
    /// Names "FIELD1"... or the words of a heading line; no row when the file holds no text to cut.
    FieldTable table;
    bool heading = false;  ///< the first line named the fields and is no data
    bool binary = false;   ///< the file holds too many control bytes to be text; the table is empty
    std::uint64_t lines = 0;
};

/// Reads the file at `path` once, line by line, and finds its fields from what every column holds
/// (blank columns, changes of character kind, dates and decimal points, where texts begin), so that
/// fields that touch are split and a name with blanks inside is not. `max_lines` (0: all) stops the
/// reading early; `progress` hears the bytes read now and then. With `utf8_columns` a column is a UTF-8
/// character, else a byte. Throws FileError when the file cannot be read.
FieldDetection detect_fields(const std::string& path, std::uint64_t max_lines = 0,
                             const std::function<void(std::uint64_t)>& progress = {},
                             bool utf8_columns = false);

/// The fields of the lines summed in `stats` (finished or not); may count its first line into it.
FieldDetection infer_fields(ColumnStatistics& stats);

}  // namespace qvr
