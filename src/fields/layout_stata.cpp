// A Stata dictionary: _column(n) type name %wf|%ws.
#include <algorithm>
#include <cctype>

#include "fields/layout_setup.h"

namespace qvr {

ImportedLayout parse_stata_dictionary(std::string_view text, const std::string& file) {
    const auto lines = without_comments(text, "//");
    ImportedRecord record{"RECORD", 0, 0, {}};
    bool open = false, closed = false;
    std::int64_t column = 1;
    for (const auto& [raw, number] : lines) {
        std::string_view line = strip_blanks(raw);
        if (line.empty() || line[0] == '*') continue;
        if (closed) break;  // the data may follow the dictionary
        if (!open) {
            // "dictionary using FILE {", the brace on that line or the next one.
            const std::size_t brace = line.find('{');
            const bool named = upper_ascii(line).find("DICTIONARY") != std::string::npos;
            if (named && brace == std::string_view::npos && !record.line) {
                record.line = number;
                continue;
            }
            if (brace == std::string_view::npos || (!named && !record.line) || (named && record.line))
                throw LayoutError(file, number, "a Stata dictionary starts with 'dictionary ... {'");
            open = true;
            if (!record.line) record.line = number;
            line = strip_blanks(line.substr(brace + 1));
            if (line.empty()) continue;
        }
        if (line[0] == '}') {
            closed = true;
            continue;
        }
        std::vector<LayoutWord> words = words_of({{line, number}}, "");
        SetupCursor in{words, file};
        while (!in.done() && in.peek().text[0] == '_') {
            const std::string w = in.upper();
            const std::size_t paren = w.find('(');
            const std::string directive = w.substr(0, paren);
            std::optional<std::int64_t> n;
            if (paren == std::string::npos && in.at + 1 < words.size() && words[in.at + 1].text[0] == '(') {
                ++in.at;  // "_column (5)" puts the number in a word of its own
                n = read_count(
                    strip_blanks(std::string_view(in.peek().text).substr(1, in.peek().text.size() - 2)));
            } else if (paren != std::string::npos && w.back() == ')') {
                n = read_count(strip_blanks(std::string_view(w).substr(paren + 1, w.size() - paren - 2)));
            }
            if (directive == "_COLUMN" && n && *n >= 1)
                column = column_after(0, *n, file, number);
            else if (directive == "_SKIP")
                column = column_after(column, n.value_or(1), file, number);
            else if ((directive == "_LINES" || directive == "_LINE") && n == 1) {
            } else if (directive == "_LRECL" || directive == "_FIRSTLINEOFFILE") {
            } else if (directive == "_LINES" || directive == "_LINE" || directive == "_NEWLINE")
                throw in.error("reading several lines per observation is not supported");
            else
                throw in.error("'" + in.peek().text + "' is not understood");
            ++in.at;
        }
        if (in.done()) continue;
        static const char* const storage[] = {"BYTE", "INT", "LONG", "FLOAT", "DOUBLE", "STRL"};
        const std::string kind = in.upper();
        const bool str_kind =
            kind.rfind("STR", 0) == 0 && (kind.size() == 3 || read_count(kind.substr(3)) || kind == "STRL");
        if (str_kind || std::find(std::begin(storage), std::end(storage), kind) != std::end(storage)) ++in.at;
        if (in.done() || !is_name_start(in.peek().text[0])) throw in.error("a variable name is missing");
        ImportedField field{in.peek().text, column, 0, "num", number};
        ++in.at;
        if (!in.done() && in.peek().text[0] == ':') ++in.at;  // a value label's name
        if (in.done() || in.peek().text[0] != '%')
            throw LayoutError(file, number, field.name + ": no %format, so no width");
        const std::string format = upper_ascii(in.peek().text);
        ++in.at;
        const char letter = format.back();
        const std::string size = format.substr(1, format.size() - 2);
        const std::size_t dot = size.find('.');
        const auto width = read_count(size.substr(0, dot));
        const auto decimals =
            dot == std::string::npos ? std::optional<std::int64_t>(0) : read_count(size.substr(dot + 1));
        if (!width || !decimals || (letter != 'F' && letter != 'G' && letter != 'E' && letter != 'S'))
            throw LayoutError(file, number, field.name + ": format " + format + " is not %wf, %w.df or %ws");
        const bool numeric_kind =
            !str_kind && std::find(std::begin(storage), std::end(storage), kind) != std::end(storage);
        if ((str_kind && letter != 'S') || (numeric_kind && letter == 'S'))
            throw LayoutError(file, number, field.name + ": the storage type and the format disagree");
        field.length = *width;
        field.type = letter == 'S' ? "text" : numeric_type(*decimals);
        if (!in.done() && in.peek().text[0] != '"')
            throw in.error("'" + in.peek().text + "' is not understood");
        column = column_after(column, field.length, file, number);
        add_setup_field(record, std::move(field), file);
    }
    if (!open) throw LayoutError(file, 1, "no dictionary");
    if (!closed)
        throw LayoutError(file, static_cast<int>(lines.size()), "the dictionary is not closed by '}'");
    return one_record(std::move(record), file, record.line, "the dictionary");
}

}  // namespace qvr
