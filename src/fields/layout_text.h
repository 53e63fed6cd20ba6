#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fields/imported_layout.h"

namespace qvr {

/// A word of a layout text with the line it stands on.
struct LayoutWord {
    std::string text;
    int line = 0;
};

/// `text` with ASCII letters in capitals: the keywords of every layout form ignore case.
std::string upper_ascii(std::string_view text);

/// `text` without the blanks (space, tab) around it.
std::string_view strip_blanks(std::string_view text);

/// A count written as decimal digits only, up to 18 of them; none for anything else.
std::optional<std::int64_t> read_count(std::string_view text);

/// The lines of a text (CR LF, CR or LF end one), numbered from 1 by their place.
std::vector<std::string_view> text_lines(std::string_view text);

/// The column `step` columns after `column`; throws LayoutError past the columns a field table holds.
std::int64_t column_after(std::int64_t column, std::int64_t step, const std::string& file, int line);

/// Checks the field against the columns a field table can hold; throws LayoutError.
void check_field_columns(const ImportedField& field, const std::string& file);

/// Every field name of the record made unique: a name met again gets _2, _3... (the first free one).
void make_names_unique(ImportedRecord& record);

}  // namespace qvr
