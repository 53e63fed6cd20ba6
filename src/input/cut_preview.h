#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "common/text_encoding.h"
#include "fields/field_table.h"

namespace qvr {

/// The preview shows this many first lines of the input: enough to judge a layout, few enough to cut
/// again on every change of the table.
inline constexpr std::size_t kPreviewLines = 200;

/// The first lines of an input cut into their fields, one text a field, as the extract would cut them.
struct CutPreview {
    std::vector<std::string> names;  ///< the field names, in table order
    std::vector<std::vector<std::string>> rows;
    TextEncoding encoding = TextEncoding::cp1252;  ///< what the cells' bytes are in, as the input's
};

/// Reads the first `max_lines` lines of the file at `path` (and no more of it) and cuts each into the
/// fields of `table`, each field trimmed of its blanks when `trim`; the separator plays no part, since
/// every field has a cell of its own; a typed field's cell holds its value (convert_value()), empty for
/// one its type cannot read. The input is read as text in `encoding` (text_of_first_line()),
/// and its columns are those of the encoding, as the extract counts them.
/// Throws FileError when the file cannot be read.
CutPreview cut_preview(const std::string& path, const FieldTable& table, bool trim,
                       std::size_t max_lines = kPreviewLines, TextEncoding encoding = TextEncoding::cp1252);

}  // namespace qvr
