#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/text_encoding.h"
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
    /// Lines were longer than the columns looked at (ColumnStatistics::kMaxColumns): fields past them
    /// were not looked for.
    bool wider = false;
    /// Per field of the table, the type that reads all its values in the first lines (text when none),
    /// for the table to take when the user's Detect asks for types; the table itself stays text.
    std::vector<FieldType> types;
};

/// What to tell the user when a detection's lines were wider than it looked at; "" when they were not.
std::string wider_than_looked_at_text(const FieldDetection& found);

/// Reads the file at `path` once, line by line, and finds its fields from what every column holds
/// (blank columns, changes of character kind, dates and decimal points, where texts begin), so that
/// fields that touch are split and a name with blanks inside is not. The input is read as text in
/// `encoding` (text_of_first_line()). `max_lines` (0: all) stops the
/// reading early; `progress` hears the bytes read now and then. Throws FileError when the file cannot
/// be read.
FieldDetection detect_fields(const std::string& path, TextEncoding encoding, std::uint64_t max_lines = 0,
                             const std::function<void(std::uint64_t)>& progress = {});

/// The fields of the lines summed in `stats` (finished or not); may count its first line into it.
FieldDetection infer_fields(ColumnStatistics& stats);

}  // namespace qvr
