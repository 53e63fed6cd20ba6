#include "fields/layout_set.h"

#include "common/file_error.h"
#include "common/file_names.h"
#include "common/output_file.h"
#include "common/whole_number.h"
#include "common/whole_text.h"
#include "fields/definition_file.h"
#include "fields/imported_layout.h"
#include "fields/layout_text.h"

namespace qvr {

namespace {

constexpr std::string_view kRecords = "RECORDS ";
constexpr std::string_view kCarry = "CARRY ";
constexpr std::string_view kType = "TYPE ";
constexpr std::string_view kFields = " FIELDS ";
// A layout set is a few tables of short lines; anything far larger is some other file.
constexpr std::uint64_t kLargestSetFile = 16 << 20;

bool starts_with(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

std::string slice_text(FieldSlice slice) {
    return std::to_string(slice.start) + ":" + std::to_string(slice.length);
}

// The lines of the text as the field definition file cuts them: CR LF, CR and LF each end one, Ctrl+Z
// ends the file.
std::vector<std::string_view> set_lines(std::string_view text) {
    text = text.substr(0, text.find('\x1a'));
    std::vector<std::string_view> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find_first_of("\r\n", at);
        lines.push_back(text.substr(at, end == std::string_view::npos ? end : end - at));
        if (end == std::string_view::npos) break;
        at = end + 1 + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 1 : 0);
    }
    return lines;
}

}  // namespace

std::optional<FieldSlice> read_type_columns(std::string_view text) {
    text = strip_blanks(text);
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const std::optional<std::int32_t> start = read_whole_number(strip_blanks(text.substr(0, colon)));
    const std::optional<std::int32_t> length = read_whole_number(strip_blanks(text.substr(colon + 1)));
    if (!start || !length || *start < 1 || *length < 1) return std::nullopt;
    return FieldSlice{*start, *length};
}

std::vector<LayoutCarry> read_carries(std::string_view text) {
    std::vector<LayoutCarry> carries;
    for (std::size_t at = 0; at <= text.size();) {
        std::size_t end = text.find(',', at);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view entry = strip_blanks(text.substr(at, end - at));
        at = end + 1;
        if (entry.empty()) continue;
        const std::size_t colon = entry.find(':');
        if (colon == std::string_view::npos)
            throw UserError("The carry '" + std::string(entry) + "' is not TYPE:FIELD");
        carries.push_back({std::string(strip_blanks(entry.substr(0, colon))),
                           std::string(strip_blanks(entry.substr(colon + 1)))});
    }
    return carries;
}

std::string carries_text(const std::vector<LayoutCarry>& carries) {
    std::string text;
    for (const LayoutCarry& c : carries) text += (text.empty() ? "" : ", ") + c.type + ":" + c.field;
    return text;
}

std::string layout_set_text(const LayoutSet& set) {
    std::string text(kLayoutSetFirstLine);
    text += "\r\n";
    text += std::string(kRecords) + slice_text(set.type_columns) + "\r\n";
    for (const LayoutCarry& c : set.carries) text += std::string(kCarry) + c.type + ":" + c.field + "\r\n";
    for (const TypeTable& t : set.tables) {
        text += std::string(kType) + t.value + std::string(kFields) + std::to_string(t.rows.size()) + "\r\n";
        FieldTable table;
        table.assign_rows(t.rows);
        if (!t.rows.empty()) text += definition_file_text(table);
    }
    return text;
}

bool is_layout_set_text(std::string_view text) {
    const std::vector<std::string_view> lines = set_lines(text.substr(0, kLayoutSetFirstLine.size() + 2));
    return !lines.empty() && strip_blanks(lines[0]) == kLayoutSetFirstLine;
}

LayoutSet parse_layout_set(std::string_view text, const std::string& file) {
    const std::vector<std::string_view> lines = set_lines(text);
    if (lines.empty() || strip_blanks(lines[0]) != kLayoutSetFirstLine)
        throw LayoutError(file, 1, "the first line is not " + std::string(kLayoutSetFirstLine));
    LayoutSet set;
    bool columns = false;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const int line = static_cast<int>(i) + 1;
        const std::string_view l = lines[i];
        if (strip_blanks(l).empty()) continue;
        if (starts_with(l, kRecords)) {
            const std::optional<FieldSlice> slice = read_type_columns(l.substr(kRecords.size()));
            if (!slice) throw LayoutError(file, line, "the type columns are not START:LENGTH");
            set.type_columns = *slice;
            columns = true;
        } else if (starts_with(l, kCarry)) {
            try {
                for (LayoutCarry& c : read_carries(l.substr(kCarry.size())))
                    set.carries.push_back(std::move(c));
            } catch (const UserError& e) {
                throw LayoutError(file, line, e.what());
            }
        } else if (starts_with(l, kType) && l.rfind(kFields) != std::string_view::npos &&
                   l.rfind(kFields) >= kType.size() - 1) {
            const std::size_t fields = l.rfind(kFields);
            const std::optional<std::int32_t> count =
                read_whole_number(strip_blanks(l.substr(fields + kFields.size())));
            if (!count || *count < 0) throw LayoutError(file, line, "the count of fields is no whole number");
            TypeTable& table = set.tables.emplace_back();
            table.value = std::string(strip_blanks(l.substr(kType.size(), fields + 1 - kType.size())));
            if (static_cast<std::size_t>(*count) > lines.size() - i - 1)
                throw LayoutError(file, line,
                                  "the file ends before the " + std::to_string(*count) + " fields of type '" +
                                      table.value + "'");
            for (std::int32_t f = 1; f <= *count; ++f) {
                try {
                    // Each line alone: a field with a missing number must not take the next line's.
                    std::vector<Field> rows = parse_definition_text(lines[i + static_cast<std::size_t>(f)]);
                    table.rows.push_back(rows.empty() ? Field() : std::move(rows[0]));
                } catch (const UserError& e) {
                    throw LayoutError(file, line + f, e.what());
                }
            }
            i += static_cast<std::size_t>(*count);
        } else {
            throw LayoutError(file, line, "expected RECORDS, CARRY or TYPE VALUE FIELDS N");
        }
    }
    if (!columns) throw LayoutError(file, 1, "no RECORDS line gives the type columns");
    return set;
}

bool is_layout_set_file(const std::string& path) {
    try {
        return is_layout_set_text(load_whole_file(path, kLayoutSetFirstLine.size() + 2));
    } catch (const UserError&) {
        return false;
    }
}

LayoutSet read_layout_set(const std::string& path) {
    bool grew = false;
    const std::string text = load_whole_file(path, kLargestSetFile, &grew);
    if (grew) throw_file_error("Cannot read file", path, "It is too large for a layout");
    return parse_layout_set(text, file_name_of(path));
}

void write_layout_set(const std::string& path, const LayoutSet& set) {
    replace_file_safely(path, layout_set_text(set));
}

}  // namespace qvr
