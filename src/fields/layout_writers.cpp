#include "fields/layout_writers.h"

#include <algorithm>

#include "fields/definition_file.h"
#include "fields/field_table.h"
#include "fields/layout_text.h"

namespace qvr {

namespace {

std::string number(std::int64_t n) { return std::to_string(n); }

std::string sql_name(const std::string& name, char quote) {
    std::string out(1, quote);
    for (char c : name) out += c == quote ? std::string(2, c) : std::string(1, c);
    return out + quote;
}

std::string python_text(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        if (c == '\n' || c == '\r') {
            out += c == '\n' ? "\\n" : "\\r";
            continue;
        }
        out += c;
    }
    return out + "\"";
}

std::string csv_cell(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos && strip_blanks(text) == text) return text;
    std::string out = "\"";
    for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

/// The decimals of a type spelt NAME(N); -1 when it has none.
int type_decimals(const std::string& type) {
    const std::size_t open = type.find('(');
    if (open == std::string::npos) return -1;
    const auto n = read_count(std::string_view(type).substr(open + 1, type.size() - open - 2));
    return n ? static_cast<int>(*n) : -1;
}

std::string date_expression(const ImportedField& f, const std::string& pattern) {
    const std::size_t y = pattern.find("YYYY"), m = pattern.find("MM"), d = pattern.find("DD");
    if (y == std::string::npos || m == std::string::npos || d == std::string::npos ||
        static_cast<std::int64_t>(pattern.size()) != f.length)
        return {};
    auto part = [&](std::size_t at, int n) {
        return "substr(line, " + number(f.start + static_cast<std::int64_t>(at)) + ", " + std::to_string(n) +
               ")";
    };
    // No date at all (blank or all zeros) is an empty value, not a day.
    std::string zeros = "substr(line, " + number(f.start) + ", " + number(f.length) + ")";
    for (const char* c : {"0", " "}) zeros = "replace(" + zeros + ", '" + c + "', '')";
    for (char c : pattern)
        if (c != 'Y' && c != 'M' && c != 'D')
            zeros = "replace(" + zeros + ", '" + std::string(1, c) + "', '')";
    return "CASE WHEN " + zeros + " = '' THEN NULL ELSE " + part(y, 4) + " || '-' || " + part(m, 2) +
           " || '-' || " + part(d, 2) + " END";
}

/// The column of one field, and a note where SQL cannot read its type.
std::pair<std::string, std::string> sql_column(const ImportedField& f) {
    const std::string cut = "substr(line, " + number(f.start) + ", " + number(f.length) + ")";
    // A sign may trail the digits ("123-"): SQLite would cast that to 123, so it is moved to the front.
    // No negative start for the last character: engines differ on it.
    const std::string trimmed = "trim(" + cut + ")";
    const std::string but_last = "substr(" + trimmed + ", 1, length(" + trimmed + ") - 1)";
    const std::string value = "NULLIF(CASE substr(" + trimmed + ", length(" + trimmed +
                              "), 1) WHEN '-' THEN '-' || " + but_last + " WHEN '+' THEN " + but_last +
                              " ELSE " + trimmed + " END, '')";
    const std::string& t = f.type;
    if (t == "text") return {cut, ""};
    if (t == "int") return {"CAST(" + value + " AS BIGINT)", ""};
    if (t.rfind("dec(", 0) == 0) {
        const int n = type_decimals(t);
        if (n == 0) return {"CAST(" + value + " AS BIGINT)", ""};
        // The divisor is written with a point so that SQLite does not divide whole numbers.
        return {"CAST(" + value + " AS DECIMAL(38, 0)) / 1" + std::string(static_cast<std::size_t>(n), '0') +
                    ".0",
                ""};
    }
    if (t == "num") return {"CAST(NULLIF(replace(trim(" + cut + "), ',', ''), '') AS DOUBLE)", ""};
    if (t == "num(,)")
        return {"CAST(NULLIF(replace(replace(trim(" + cut + "), '.', ''), ',', '.'), '') AS DOUBLE)", ""};
    if (t.rfind("date(", 0) == 0) {
        const std::string e = date_expression(f, t.substr(5, t.size() - 6));
        if (!e.empty()) return {e, ""};
    }
    return {cut, t + " is left as its raw columns"};
}

}  // namespace

const ImportedRecord& chosen_record(const ImportedLayout& layout, std::string_view name) {
    if (name.empty() && layout.records.size() == 1) return layout.records[0];
    std::string names;
    for (const ImportedRecord& r : layout.records) {
        if (!name.empty() && upper_ascii(r.name) == upper_ascii(name)) return r;
        names += (names.empty() ? "" : ", ") + r.name;
    }
    if (name.empty()) throw UserError("The layout describes several records (" + names + "): choose one");
    throw UserError("The layout describes no record " + std::string(name) + " (it has " + names + ")");
}

std::string layout_tab_text(const ImportedRecord& record, const std::string& file) {
    FieldTable table;
    table.assign_rows(layout_field_rows(record, file));
    return definition_file_text(table);
}

std::string layout_csvkit_text(const ImportedRecord& record) {
    std::vector<const ImportedField*> order;
    for (const ImportedField& f : record.fields) order.push_back(&f);
    if (!order.empty() && order[0]->start == 2) {
        const auto other =
            std::find_if(order.begin(), order.end(), [](const ImportedField* f) { return f->start != 2; });
        if (other == order.end())
            throw UserError(
                "csvkit would read a schema whose first start is 1 as counted from 1: "
                "no field can come first when every field starts at column 2");
        std::rotate(order.begin(), other, other + 1);
    }
    std::string out = "column,start,length\n";
    for (const ImportedField* f : order)
        out += csv_cell(f->name) + "," + number(f->start - 1) + "," + number(f->length) + "\n";
    return out;
}

std::string layout_sql_text(const ImportedLayout& layout, bool backticks) {
    std::string out =
        "-- Each query reads a table \"lines\" of one text column \"line\", one row per line of the file.\n";
    if (layout.records.size() > 1)
        out +=
            "-- The file holds several kinds of record: each query cuts every line, so keep the lines of "
            "its\n"
            "-- kind with a WHERE of your own.\n";
    for (const ImportedRecord& record : layout.records) {
        out += "\n-- " + record.name + "\nSELECT\n";
        for (std::size_t i = 0; i < record.fields.size(); ++i) {
            const ImportedField& f = record.fields[i];
            const auto [column, note] = sql_column(f);
            out += "    " + column + " AS " + sql_name(f.name, backticks ? '`' : '"') +
                   (i + 1 < record.fields.size() ? "," : "");
            if (!note.empty()) out += "  -- " + note;
            out += "\n";
        }
        out += "FROM lines;\n";
    }
    return out;
}

std::string layout_pandas_text(const ImportedRecord& record) {
    std::string colspecs, names;
    for (const ImportedField& f : record.fields) {
        colspecs += "    (" + number(f.start - 1) + ", " + number(f.start - 1 + f.length) + "),\n";
        names += "    " + python_text(f.name) + ",\n";
    }
    return "import pandas as pd\n\nCOLSPECS = [\n" + colspecs + "]\nNAMES = [\n" + names +
           "]\n\n\n"
           "def read_layout(path, encoding=\"utf-8\"):\n"
           "    \"\"\"The file cut into its fields, every column as text (blanks around a value "
           "dropped).\"\"\"\n"
           "    return pd.read_fwf(path, colspecs=COLSPECS, names=NAMES, dtype=str, header=None,\n"
           "                       na_filter=False, encoding=encoding)\n";
}

}  // namespace qvr
