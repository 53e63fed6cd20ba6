#include "fields/layout_text.h"

#include <set>

#include "common/line_scan.h"

namespace qvr {

std::string upper_ascii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string_view strip_blanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

std::optional<std::int64_t> read_count(std::string_view text) {
    if (text.empty() || text.size() > 18) return std::nullopt;
    std::int64_t n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n;
}

std::vector<std::string_view> text_lines(std::string_view text) {
    std::vector<std::string_view> lines;
    TextLines cursor(text);
    for (std::string_view line; cursor.next(line);) lines.push_back(line);
    return lines;
}

std::int64_t column_after(std::int64_t column, std::int64_t step, const std::string& file, int line) {
    // Both come from counts of at most 18 digits, so the sum cannot overflow before this check.
    if (column + step > std::int64_t{INT32_MAX} + 1)
        throw LayoutError(file, line, "a column past 2147483647");
    return column + step;
}

void check_field_columns(const ImportedField& field, const std::string& file) {
    if (field.start < 1 || field.length < 1)
        throw LayoutError(file, field.line,
                          field.name + ": a field needs a start of 1 or more and a length of 1 or more");
    if (field.start - 1 + field.length > INT32_MAX)
        throw LayoutError(file, field.line, field.name + ": the field ends past column 2147483647");
}

void make_names_unique(ImportedRecord& record) {
    std::set<std::string> taken;
    for (const ImportedField& f : record.fields) taken.insert(f.name);
    std::set<std::string> seen;
    for (ImportedField& f : record.fields) {
        if (seen.insert(f.name).second) continue;
        std::string name;
        for (int n = 2;; ++n) {
            name = f.name + "_" + std::to_string(n);
            if (!taken.count(name)) break;
        }
        taken.insert(name);
        seen.insert(name);
        f.name = name;
    }
}

}  // namespace qvr
