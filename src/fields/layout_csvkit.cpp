#include <algorithm>

#include "fields/imported_layout.h"
#include "fields/layout_text.h"

namespace qvr {

namespace {

struct CsvRow {
    std::vector<std::string> cells;
    int line = 0;
};

/// The rows of a CSV text: quoted cells may hold commas, doubled quotes and line ends.
std::vector<CsvRow> csv_rows(std::string_view text, const std::string& file) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::vector<CsvRow> rows;
    CsvRow row{{std::string()}, 1};
    int line = 1;
    bool quoted = false;
    int quote_line = 0;
    auto end_row = [&] {
        if (!(row.cells.size() == 1 && row.cells[0].empty())) rows.push_back(std::move(row));
        row = CsvRow{{std::string()}, line};
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                row.cells.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                if (c == '\n' || (c == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) ++line;
                row.cells.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
            quote_line = line;
        } else if (c == ',') {
            row.cells.emplace_back();
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            ++line;
            end_row();
        } else {
            row.cells.back() += c;
        }
    }
    if (quoted) throw LayoutError(file, quote_line, "a quoted cell is not closed");
    end_row();
    return rows;
}

}  // namespace

ImportedLayout parse_csvkit_schema(std::string_view text, const std::string& file) {
    const std::vector<CsvRow> rows = csv_rows(text, file);
    if (rows.empty()) throw LayoutError(file, 1, "the schema is empty");
    const CsvRow& header = rows[0];
    auto column_of = [&](const char* name) {
        for (std::size_t i = 0; i < header.cells.size(); ++i)
            if (upper_ascii(strip_blanks(header.cells[i])) == upper_ascii(name)) return i;
        throw LayoutError(file, header.line,
                          std::string("the header names no '") + name + "' column (column,start,length)");
    };
    const std::size_t name_at = column_of("column"), start_at = column_of("start"),
                      length_at = column_of("length");
    ImportedRecord record{"RECORD", header.line, 0, {}};
    // csvkit's rule: the starts count from 0 unless the first one is 1.
    bool one_based = false;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const CsvRow& row = rows[r];
        if (std::max({name_at, start_at, length_at}) >= row.cells.size())
            throw LayoutError(file, row.line, "the row has fewer cells than the header");
        const auto start = read_count(strip_blanks(row.cells[start_at]));
        const auto length = read_count(strip_blanks(row.cells[length_at]));
        if (!start)
            throw LayoutError(file, row.line, "start '" + row.cells[start_at] + "' is not a whole number");
        if (!length)
            throw LayoutError(file, row.line, "length '" + row.cells[length_at] + "' is not a whole number");
        if (r == 1) one_based = *start == 1;
        if (one_based && *start == 0)
            throw LayoutError(file, row.line, "start 0 in a schema whose starts count from 1");
        ImportedField field{row.cells[name_at], one_based ? *start : *start + 1, *length, "text", row.line};
        check_field_columns(field, file);
        record.length = std::max(record.length, field.start - 1 + field.length);
        record.fields.push_back(std::move(field));
    }
    if (record.fields.empty()) throw LayoutError(file, header.line, "the schema holds no field");
    ImportedLayout layout;
    layout.records.push_back(std::move(record));
    return layout;
}

}  // namespace qvr
