#include "fields/imported_layout.h"

#include <algorithm>
#include <set>

#include "common/file_names.h"
#include "common/whole_number.h"
#include "common/whole_text.h"
#include "fields/definition_file.h"
#include "fields/layout_text.h"

namespace qvr {

namespace {

// A layout file is a few kilobytes; a bigger one is some other file chosen by mistake.
constexpr std::uint64_t kLargestLayoutFile = 64u << 20;

struct FormName {
    const char* word;
    LayoutForm form;
};
constexpr FormName kFormNames[] = {
    {"tab", LayoutForm::tab}, {"cobol", LayoutForm::cobol},         {"csvkit", LayoutForm::csvkit},
    {"sas", LayoutForm::sas}, {"spss", LayoutForm::spss},           {"stata", LayoutForm::stata},
    {"sql", LayoutForm::sql}, {"spark-sql", LayoutForm::spark_sql}, {"pandas", LayoutForm::pandas}};

struct Extension {
    const char* ending;
    LayoutForm form;
};
constexpr Extension kExtensions[] = {
    {".tab", LayoutForm::tab},   {".cpy", LayoutForm::cobol},  {".cob", LayoutForm::cobol},
    {".cbl", LayoutForm::cobol}, {".copy", LayoutForm::cobol}, {".csv", LayoutForm::csvkit},
    {".sas", LayoutForm::sas},   {".sps", LayoutForm::spss},   {".spss", LayoutForm::spss},
    {".dct", LayoutForm::stata}, {".sql", LayoutForm::sql},    {".py", LayoutForm::pandas}};

// Enough of a file to tell its form by.
constexpr std::uint64_t kFormSample = 1 << 16;

constexpr std::size_t kTabNameWidth = 10;

/// The name cut to `width` bytes, never inside a UTF-8 character.
std::string cut_name(const std::string& name, std::size_t width) {
    if (name.size() <= width) return name;
    std::size_t end = width;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
    return name.substr(0, end);
}

/// True for a text whose every line is a field definition file's: a name, then whole numbers.
bool reads_as_definition_text(std::string_view text) {
    try {
        return !parse_definition_text(text).empty();
    } catch (const UserError&) {
        return false;
    }
}

bool contains(const std::string& haystack, const char* needle) {
    return haystack.find(needle) != std::string::npos;
}

ImportedLayout parse_tab(std::string_view text, const std::string& file) {
    ImportedRecord record{"RECORD", 1, 0, {}};
    int line = 0;
    for (const auto& row : parse_definition_text(text)) {
        // The name fills its 10 columns with blanks, which no other form wants.
        ImportedField field{std::string(strip_blanks(row[0])), whole_number_or_zero(row[1]),
                            whole_number_or_zero(row[2]), field_type_spelling(row.type), ++line};
        check_field_columns(field, file);
        record.length = std::max(record.length, field.start - 1 + field.length);
        record.fields.push_back(std::move(field));
    }
    if (record.fields.empty()) throw LayoutError(file, 1, "the file holds no field definition");
    ImportedLayout layout;
    layout.records.push_back(std::move(record));
    return layout;
}

}  // namespace

std::optional<LayoutForm> layout_form_named(std::string_view word) {
    for (const FormName& f : kFormNames)
        if (upper_ascii(word) == upper_ascii(f.word)) return f.form;
    return std::nullopt;
}

std::optional<LayoutForm> guess_layout_form(const std::string& path, std::string_view text) {
    const std::string name = upper_ascii(file_name_of(path));
    for (const Extension& e : kExtensions) {
        const std::string ending = upper_ascii(e.ending);
        if (name.size() > ending.size() &&
            name.compare(name.size() - ending.size(), ending.size(), ending) == 0)
            return e.form;
    }
    // Before the words of other forms, which a field's name may hold ("INPUT $").
    if (reads_as_definition_text(text.substr(0, kFormSample))) return LayoutForm::tab;
    const std::string upper = upper_ascii(text.substr(0, kFormSample));
    const std::vector<std::string_view> lines = text_lines(upper);
    const std::string first = lines.empty() ? std::string() : std::string(strip_blanks(lines[0]));
    if (contains(first, "COLUMN") && contains(first, "START") && contains(first, "LENGTH") &&
        contains(first, ","))
        return LayoutForm::csvkit;
    if (contains(upper, "DICTIONARY") && contains(upper, "{")) return LayoutForm::stata;
    for (std::string_view line : lines)
        if (strip_blanks(line).rfind("DATA LIST", 0) == 0) return LayoutForm::spss;
    if (contains(upper, " PIC ") || contains(upper, " PICTURE ")) return LayoutForm::cobol;
    if (contains(upper, "INPUT ") && (contains(upper, "@") || contains(upper, "$"))) return LayoutForm::sas;
    return std::nullopt;
}

ImportedLayout parse_layout(std::string_view text, LayoutForm form, const std::string& file) {
    ImportedLayout layout;
    switch (form) {
        case LayoutForm::tab:
            layout = parse_tab(text, file);
            break;
        case LayoutForm::cobol:
            return parse_copybook(text, file);
        case LayoutForm::csvkit:
            layout = parse_csvkit_schema(text, file);
            break;
        case LayoutForm::sas:
            layout = parse_sas_input(text, file);
            break;
        case LayoutForm::spss:
            layout = parse_spss_data_list(text, file);
            break;
        case LayoutForm::stata:
            layout = parse_stata_dictionary(text, file);
            break;
        case LayoutForm::sql:
        case LayoutForm::spark_sql:
        case LayoutForm::pandas:
            throw LayoutError(file, 1, "SQL and pandas layouts are written, not read");
    }
    for (ImportedRecord& record : layout.records) make_names_unique(record);
    return layout;
}

ImportedLayout read_layout_file(const std::string& path, std::optional<LayoutForm> form) {
    bool grew = false;
    const std::string text = load_whole_file(path, kLargestLayoutFile, &grew);
    if (grew) throw_file_error("Cannot read file", path, "It is too large for a layout");
    if (!form) form = guess_layout_form(path, text);
    if (!form)
        throw UserError("Cannot tell the form of the layout " + path +
                        " (give --as cobol, csvkit, sas, spss, stata or tab)");
    return parse_layout(text, *form, file_name_of(path));
}

LayoutForm layout_file_form(const std::string& path) {
    if (const auto by_name = guess_layout_form(path, {})) return *by_name;
    return guess_layout_form(path, load_whole_file(path, kFormSample)).value_or(LayoutForm::tab);
}

std::vector<Field> layout_field_rows(const ImportedRecord& record, const std::string& file) {
    std::vector<Field> rows;
    std::set<std::string> taken;
    for (const ImportedField& f : record.fields) {
        std::string name = cut_name(f.name, kTabNameWidth);
        for (int n = 2; !taken.insert(name).second; ++n) {
            const std::string tail = "~" + std::to_string(n);
            name = cut_name(f.name, kTabNameWidth - tail.size()) + tail;
        }
        FieldType type;
        try {
            type = parse_field_type(f.type);
        } catch (const NotAFieldType& e) {
            throw LayoutError(file, f.line, e.what());
        }
        rows.emplace_back(std::move(name), std::to_string(f.start), std::to_string(f.length),
                          std::to_string(f.start + f.length - 1), std::move(type));
    }
    return rows;
}

ImportedRecord layout_record_of(const FieldTable& table) {
    ImportedRecord record{"RECORD", 1, 0, {}};
    int line = 0;
    for (const Field& f : table.rows()) {
        ImportedField field{std::string(strip_blanks(f.name)), whole_number_or_zero(f.start),
                            whole_number_or_zero(f.length), field_type_spelling(f.type), ++line};
        record.length = std::max(record.length, field.start - 1 + field.length);
        record.fields.push_back(std::move(field));
    }
    return record;
}

}  // namespace qvr
