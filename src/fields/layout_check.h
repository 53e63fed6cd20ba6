#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "common/text_encoding.h"
#include "fields/field_table.h"

namespace qvr {

/// What checking a field table against an input file found.
struct LayoutCheck {
    /// Plain text, one finding a line ending in a line feed: the line lengths, then each problem.
    std::string report;
    bool problems = false;  ///< anything the layout does not fit
};

/// Reads the file at `path` once and tells how `table` fits its lines: the line length histogram
/// (shortest, longest, most common), lines ending before the last field does, lines with text past it,
/// fields that overlap, columns no field covers that hold text (with the first line where they do),
/// fields blank on every line, and per typed field the values its type cannot read (as the extract tells
/// them). Short and overlong lines, when one line in ten or fewer, are told as damaged records and are no
/// problem. The input is read as text in `encoding` (text_of_first_line()). `progress` hears the bytes read
/// now and then. Throws FileError when the file cannot be read.
LayoutCheck check_layout(const std::string& path, TextEncoding encoding, const FieldTable& table,
                         const std::function<void(std::uint64_t)>& progress = {});

}  // namespace qvr
