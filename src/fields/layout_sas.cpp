// The INPUT statement of a SAS program: column input (name $ 1-10) and formatted input (@col name $w.).
#include <algorithm>
#include <cctype>

#include "fields/layout_setup.h"

namespace qvr {

namespace {

/// A SAS informat (w. w.d $w. $CHARw. COMMAw.d ZDw.d PDw.d IBw.d YYMMDDw. DDMMYYw. MMDDYYw.): its width
/// and type; none when the word is no informat.
std::optional<std::pair<std::int64_t, std::string>> sas_informat(std::string_view word) {
    const std::string w = upper_ascii(word);
    const std::size_t dot = w.find('.');
    if (dot == std::string::npos || dot == 0) return std::nullopt;
    std::size_t digits = dot;
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(w[digits - 1]))) --digits;
    const auto width = read_count(std::string_view(w).substr(digits, dot - digits));
    const std::string after = w.substr(dot + 1);
    const auto decimals = after.empty() ? std::optional<std::int64_t>(0) : read_count(after);
    if (!width || !decimals || *width < 1) return std::nullopt;
    const std::string name = w.substr(0, digits);
    const int d = static_cast<int>(*decimals);
    const auto with = [&](const char* t) { return std::string(t) + "(" + std::to_string(d) + ")"; };
    std::string type;
    if (name == "$" || name == "$CHAR")
        type = "text";
    else if (name.empty() || name == "F")
        type = numeric_type(d);
    else if (name == "COMMA")
        type = "num";
    else if (name == "ZD")
        type = with("zoned");
    else if (name == "PD")
        type = with("packed");
    else if (name == "IB")
        type = with("binary");
    else if (name == "YYMMDD" || name == "DDMMYY" || name == "MMDDYY") {
        const std::string y = *width >= 8 ? "YYYY" : "YY", sep = *width == 8 || *width == 6 ? "" : "-";
        const std::string parts[3] = {name.substr(0, 2), name.substr(2, 2), name.substr(4, 2)};
        std::string pattern;
        for (const std::string& p : parts) pattern += (pattern.empty() ? "" : sep) + (p == "YY" ? y : p);
        if (*width != 6 && *width != 8 && *width != 10) return std::nullopt;
        type = "date(" + pattern + ")";
    } else
        return std::nullopt;
    return std::make_pair(*width, type);
}

bool is_range(std::string_view w) {
    const std::size_t dash = w.find('-');
    return read_count(w.substr(0, dash)).has_value() &&
           (dash == std::string_view::npos || read_count(w.substr(dash + 1)).has_value());
}

}  // namespace

ImportedLayout parse_sas_input(std::string_view text, const std::string& file) {
    // Statements end at ";"; a statement starting with "*" is a comment.
    const auto lines = without_comments(text, "");
    std::vector<std::pair<std::string_view, int>> input_lines;
    int input_line = 0;
    bool in_input = false, at_statement_start = true, in_comment = false;
    for (const auto& [line, number] : lines) {
        std::size_t from = 0;
        for (std::size_t i = 0; i <= line.size(); ++i) {
            const bool end = i == line.size();
            const char c = end ? ' ' : line[i];
            if (in_comment) {
                if (c == ';') in_comment = false, at_statement_start = true, from = i + 1;
                continue;
            }
            if (at_statement_start && c != ' ' && c != '\t' && !end) {
                at_statement_start = false;
                if (c == '*') {
                    in_comment = true;
                    continue;
                }
                const std::string word = upper_ascii(line.substr(i, 6));
                if (word.substr(0, 5) == "INPUT" &&
                    (word.size() == 5 || !std::isalnum(static_cast<unsigned char>(word[5])))) {
                    if (input_line) throw LayoutError(file, number, "a second INPUT statement");
                    in_input = true;
                    input_line = number;
                    from = i + 5;
                }
            }
            if (c == ';' || end) {
                if (in_input) input_lines.emplace_back(std::string_view(line).substr(from, i - from), number);
                from = i + 1;
                if (c == ';') {
                    in_input = false;
                    at_statement_start = true;
                }
            }
        }
    }
    if (!input_line) throw LayoutError(file, 1, "no INPUT statement");
    const std::vector<LayoutWord> words = words_of(input_lines, "@+#/$");
    SetupCursor in{words, file};
    ImportedRecord record{"RECORD", input_line, 0, {}};
    std::int64_t column = 1;
    while (!in.done()) {
        const LayoutWord& w = in.peek();
        if (w.text == "@" || w.text == "+") {
            ++in.at;
            const std::int64_t n = in.count(w.text == "@" ? "the column after @" : "the step after +");
            column = column_after(w.text == "@" ? 0 : column, n, file, w.line);
            continue;
        }
        if (w.text == "#" || w.text == "/")
            throw in.error("reading several lines per record (" + w.text + ") is not supported");
        if (!is_name_start(w.text[0])) throw in.error("'" + w.text + "' is not understood");
        ImportedField field{w.text, column, 0, "num", w.line};
        ++in.at;
        const bool text_field = !in.done() && in.peek().text == "$";
        if (text_field) ++in.at;
        if (!in.done() && is_range(in.peek().text)) {
            const std::string range = in.peek().text;
            const std::size_t dash = range.find('-');
            const std::int64_t first = *read_count(std::string_view(range).substr(0, dash));
            const std::int64_t last =
                dash == std::string::npos ? first : *read_count(std::string_view(range).substr(dash + 1));
            ++in.at;
            if (last < first)
                throw LayoutError(file, field.line,
                                  field.name + ": the range " + range + " ends before it starts");
            field.start = first;
            field.length = last - first + 1;
            field.type = text_field ? "text" : "num";
            if (!in.done() && in.peek().text.size() > 1 && in.peek().text[0] == '.' &&
                read_count(in.peek().text.substr(1))) {
                if (text_field) throw in.error("decimals on a text variable");
                field.type = numeric_type(*read_count(in.peek().text.substr(1)));
                ++in.at;
            }
            column = column_after(last, 1, file, field.line);
        } else {
            const std::string informat =
                (text_field ? "$" : "") + (in.done() ? std::string() : in.peek().text);
            const auto read = in.done() ? std::nullopt : sas_informat(informat);
            if (!read)
                throw LayoutError(file, field.line,
                                  field.name + ": no columns and no informat I can read" +
                                      (in.done() ? std::string() : " ('" + informat + "')"));
            ++in.at;
            field.length = read->first;
            field.type = read->second;
            column = column_after(column, field.length, file, field.line);
        }
        add_setup_field(record, std::move(field), file);
    }
    return one_record(std::move(record), file, input_line, "the INPUT statement");
}

}  // namespace qvr
