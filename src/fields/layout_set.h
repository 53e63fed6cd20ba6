#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fields/field_table.h"

namespace qvr {

/// The first line of a layout-set file. Read as a field definition file it holds no number where one is
/// due, so a reader of plain .tab files refuses it instead of taking it for a field.
inline constexpr std::string_view kLayoutSetFirstLine = "QUARVEL LAYOUT SET 1";

/// The field table of one record type: its type value ("*" takes every type without a table).
struct TypeTable {
    std::string value;
    std::vector<Field> rows;
    bool operator==(const TypeTable&) const = default;
};

/// A value carried down: FIELD of the latest record of type VALUE, put in front of the other types' rows.
struct LayoutCarry {
    std::string type;
    std::string field;  ///< the field's name without its blank padding
    bool operator==(const LayoutCarry&) const = default;
};

/// The layout of a file of several record types: which columns hold the type, a table per type value and
/// the values carried from one type to the others.
struct LayoutSet {
    FieldSlice type_columns{1, 1};
    std::vector<TypeTable> tables;
    std::vector<LayoutCarry> carries;
};

/// The text of a layout-set file: the first line, "RECORDS START:LENGTH", a "CARRY VALUE:FIELD" line per
/// carry, then per type "TYPE VALUE FIELDS N" and its N fields as lines of a field definition file; every
/// line ends in CR LF. The count, not a marker, ends a table, since a field's name may read as anything.
std::string layout_set_text(const LayoutSet& set);

/// Whether `text` starts as a layout-set file does.
bool is_layout_set_text(std::string_view text);

/// The layout set of a layout-set file's text; `file` names it in refusals. Throws LayoutError (from
/// imported_layout.h) naming the line for a line that says what is not understood, a number that is none
/// or a file that ends within a table.
LayoutSet parse_layout_set(std::string_view text, const std::string& file);

/// Whether the file at `path` is a layout-set file (false when it cannot be read: its reader says why).
bool is_layout_set_file(const std::string& path);

/// Reads the layout-set file at `path`. Throws FileError, LayoutError.
LayoutSet read_layout_set(const std::string& path);

/// Writes it through a file beside `path` that replaces it once complete. Throws FileError.
void write_layout_set(const std::string& path, const LayoutSet& set);

/// The START:LENGTH of type columns, whole numbers from 1; none for any other text.
std::optional<FieldSlice> read_type_columns(std::string_view text);

/// The carries as a user lists them, "VALUE:FIELD" separated by commas; throws UserError naming
/// an entry with no colon.
std::vector<LayoutCarry> read_carries(std::string_view text);
/// The same list as text, as read_carries() reads it back.
std::string carries_text(const std::vector<LayoutCarry>& carries);

}  // namespace qvr
