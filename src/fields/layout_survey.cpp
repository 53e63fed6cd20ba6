// The setup files that come with survey and census microdata: SAS INPUT, SPSS DATA LIST FIXED and Stata
// dictionaries. Each says where a variable's columns are and whether it is read as text or as a number;
// a width with decimals (w.d, (d), %w.df) means implied decimals where the data holds no point.
#include <algorithm>
#include <cctype>

#include "fields/imported_layout.h"
#include "fields/layout_text.h"

namespace qvr {

namespace {

std::string numeric_type(std::int64_t decimals) {
    return decimals > 0 ? "dec(" + std::to_string(decimals) + ")" : "num";
}

bool is_name_start(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }

/// The words of a text with their lines: blanks separate, and each of `singles` is a word of its own.
std::vector<LayoutWord> words_of(const std::vector<std::pair<std::string_view, int>>& lines,
                                 std::string_view singles) {
    std::vector<LayoutWord> words;
    for (const auto& [line, number] : lines) {
        std::size_t i = 0;
        while (i < line.size()) {
            const char c = line[i];
            if (c == ' ' || c == '\t') {
                ++i;
            } else if (c == '(') {
                // A parenthesised format stays one word: (A), (F8.2), (2).
                const std::size_t close = line.find(')', i);
                const std::size_t end = close == std::string_view::npos ? line.size() : close + 1;
                words.push_back({std::string(line.substr(i, end - i)), number});
                i = end;
            } else if (singles.find(c) != std::string_view::npos) {
                words.push_back({std::string(1, c), number});
                ++i;
            } else {
                std::size_t end = i;
                while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '(' &&
                       singles.find(line[end]) == std::string_view::npos)
                    ++end;
                words.push_back({std::string(line.substr(i, end - i)), number});
                i = end;
            }
        }
    }
    return words;
}

/// Lines with comments blanked out: /* ... */ everywhere, and `line_comment` to the end of a line.
std::vector<std::pair<std::string, int>> without_comments(std::string_view text,
                                                          std::string_view line_comment) {
    std::vector<std::pair<std::string, int>> out;
    bool in_block = false;
    int number = 0;
    for (std::string_view line : text_lines(text)) {
        std::string kept;
        ++number;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (in_block) {
                if (line.substr(i, 2) == "*/") {
                    in_block = false;
                    ++i;
                }
                continue;
            }
            if (line.substr(i, 2) == "/*") {
                in_block = true;
                ++i;
                continue;
            }
            if (!line_comment.empty() && line.substr(i, line_comment.size()) == line_comment) break;
            kept += line[i];
        }
        out.emplace_back(std::move(kept), number);
    }
    return out;
}

struct Cursor {
    const std::vector<LayoutWord>& words;
    const std::string& file;
    std::size_t at = 0;

    bool done() const { return at >= words.size(); }
    const LayoutWord& peek() const { return words[at]; }
    std::string upper() const { return done() ? "" : upper_ascii(words[at].text); }
    LayoutError error(const std::string& message) const {
        return LayoutError(file, done() ? (words.empty() ? 1 : words.back().line) : words[at].line, message);
    }
    std::int64_t count(const char* what) {
        const auto n = done() ? std::nullopt : read_count(words[at].text);
        if (!n)
            throw error(std::string(what) + " is not a whole number" +
                        (done() ? "" : ": '" + words[at].text + "'"));
        ++at;
        return *n;
    }
};

void add_field(ImportedRecord& record, ImportedField field, const std::string& file) {
    check_field_columns(field, file);
    record.length = std::max(record.length, field.start - 1 + field.length);
    record.fields.push_back(std::move(field));
}

ImportedLayout one_record(ImportedRecord record, const std::string& file, int line, const char* what) {
    if (record.fields.empty()) throw LayoutError(file, line, std::string(what) + " declares no variable");
    ImportedLayout layout;
    layout.records.push_back(std::move(record));
    return layout;
}

// --- SAS -------------------------------------------------------------------------------------------

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
    Cursor in{words, file};
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
        add_field(record, std::move(field), file);
    }
    return one_record(std::move(record), file, input_line, "the INPUT statement");
}

namespace {

// --- SPSS ------------------------------------------------------------------------------------------

/// Names v1 TO v5 stand for v1, v2, ... v5, with the digits' width of the first.
std::vector<std::string> spss_names(Cursor& in) {
    std::vector<std::string> names;
    while (!in.done() && is_name_start(in.peek().text[0])) {
        if (in.upper() == "TO" && !names.empty()) {
            ++in.at;
            if (in.done()) throw in.error("TO needs a last name");
            const std::string first = names.back();  // a copy: the names grow below
            const std::string last = in.peek().text;
            auto split = [](const std::string& s) {
                std::size_t d = s.size();
                while (d > 0 && std::isdigit(static_cast<unsigned char>(s[d - 1]))) --d;
                return d;
            };
            const std::size_t a = split(first), b = split(last);
            if (a == first.size() || b == last.size() || first.substr(0, a) != last.substr(0, b))
                throw in.error(first + " TO " + last + ": the names need one stem and numbers");
            const std::int64_t from = *read_count(first.substr(a)), to = *read_count(last.substr(b));
            if (to < from || to - from > 100000)
                throw in.error(first + " TO " + last + ": the numbers do not go up");
            const std::size_t width = first.size() - a;
            for (std::int64_t n = from + 1; n <= to; ++n) {
                std::string digits = std::to_string(n);
                if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
                names.push_back(first.substr(0, a) + digits);
            }
            ++in.at;
            continue;
        }
        names.push_back(in.peek().text);
        ++in.at;
    }
    return names;
}

/// The type of an SPSS format: (A), (d), (F,d), (N), (COMMA,d); or, with its width, (A8), (F8.2), (N4).
std::pair<std::string, std::int64_t> spss_format(const Cursor& in, std::string_view word) {
    const std::string f = upper_ascii(word.substr(1, word.size() - 2));
    auto fail = [&] { return in.error("format " + std::string(word) + " is not supported"); };
    if (word.back() != ')') throw fail();
    std::size_t letters = 0;
    while (letters < f.size() && std::isalpha(static_cast<unsigned char>(f[letters]))) ++letters;
    const std::string kind = f.substr(0, letters);
    std::string rest = f.substr(letters);
    if (!rest.empty() && rest[0] == ',') rest.erase(0, 1);
    std::int64_t width = 0, decimals = 0;
    // (F8.2): a width and decimals; (F,2) and (2): decimals only.
    const std::size_t dot = rest.find('.');
    if (dot != std::string::npos) {
        const auto w = read_count(rest.substr(0, dot)), d = read_count(rest.substr(dot + 1));
        if (!w || !d) throw fail();
        width = *w;
        decimals = *d;
    } else if (!rest.empty()) {
        const auto n = read_count(rest);
        if (!n) throw fail();
        (f.find(',') != std::string::npos || kind.empty() ? decimals : width) = *n;
    }
    if (kind == "A") return {"text", width};
    if (kind.empty() || kind == "F") return {numeric_type(decimals), width};
    if (kind == "N") return {decimals ? numeric_type(decimals) : "int", width};
    if (kind == "COMMA") return {"num", width};
    throw fail();
}

}  // namespace

ImportedLayout parse_spss_data_list(std::string_view text, const std::string& file) {
    const auto lines = without_comments(text, "");
    std::vector<std::pair<std::string_view, int>> command;
    int command_line = 0;
    for (const auto& [line, number] : lines) {
        std::string_view rest = strip_blanks(line);
        if (!command_line) {
            const std::string head = upper_ascii(rest.substr(0, 9));
            if (head.rfind("DATA LIST", 0) != 0) continue;
            command_line = number;
            rest.remove_prefix(9);
        }
        // The command ends at a period that ends its line, or at a blank line.
        const bool last = rest.empty() || rest.back() == '.';
        if (!rest.empty() && rest.back() == '.') rest.remove_suffix(1);
        command.emplace_back(rest, number);
        if (last) break;
    }
    if (!command_line) throw LayoutError(file, 1, "no DATA LIST command");
    const std::vector<LayoutWord> words = words_of(command, "/-=");
    Cursor in{words, file};
    // Subcommands up to the first "/".
    while (!in.done() && in.peek().text != "/") {
        const std::string w = in.upper();
        if (w == "FREE" || w == "LIST") throw in.error("DATA LIST " + w + " has no columns");
        if (w == "RECORDS") {
            ++in.at;
            if (in.done() || in.peek().text != "=") throw in.error("RECORDS needs =");
            ++in.at;
            if (in.count("the RECORDS count") != 1)
                throw LayoutError(file, words[in.at - 1].line, "several lines per case are not supported");
            continue;
        }
        if (w == "FILE" || w == "ENCODING" || w == "SKIP" || w == "END") {
            ++in.at;
            if (!in.done() && in.peek().text == "=") in.at += 2;
            continue;
        }
        if (w != "FIXED" && w != "TABLE" && w != "NOTABLE")
            throw in.error("'" + in.peek().text + "' is not understood");
        ++in.at;
    }
    if (in.done()) throw LayoutError(file, command_line, "DATA LIST declares no variable");
    ++in.at;
    if (!in.done() && read_count(in.peek().text)) {
        if (in.count("the line number") != 1)
            throw LayoutError(file, words[in.at - 1].line, "several lines per case are not supported");
    }
    ImportedRecord record{"RECORD", command_line, 0, {}};
    std::int64_t column = 1;
    while (!in.done()) {
        if (in.peek().text == "/") throw in.error("several lines per case are not supported");
        const int line = in.peek().line;
        const std::vector<std::string> names = spss_names(in);
        if (names.empty()) throw in.error("'" + in.peek().text + "' is not understood");
        std::string type = "num";
        std::int64_t start = column, width = 0;
        if (!in.done() && read_count(in.peek().text)) {
            start = in.count("the first column");
            std::int64_t last = start;
            if (!in.done() && in.peek().text == "-") {
                ++in.at;
                last = in.count("the last column");
            }
            if (last < start) throw LayoutError(file, line, "the columns end before they start");
            const std::int64_t span = last - start + 1, k = static_cast<std::int64_t>(names.size());
            if (span % k)
                throw LayoutError(file, line,
                                  std::to_string(span) + " columns do not divide among " + std::to_string(k) +
                                      " variables");
            width = span / k;
            column_after(last, 1, file, line);
            if (!in.done() && in.peek().text[0] == '(') {
                type = spss_format(in, in.peek().text).first;
                ++in.at;
            }
        } else if (!in.done() && in.peek().text[0] == '(') {
            const auto [t, w] = spss_format(in, in.peek().text);
            if (w == 0)
                throw in.error("format " + in.peek().text + " needs a width where no columns are given");
            type = t;
            width = w;
            column_after(start,
                         static_cast<std::int64_t>(names.size()) * std::min<std::int64_t>(w, INT32_MAX), file,
                         line);
            ++in.at;
        } else {
            throw LayoutError(file, line, names.back() + ": no columns and no format");
        }
        for (std::size_t i = 0; i < names.size(); ++i)
            add_field(record, {names[i], start + static_cast<std::int64_t>(i) * width, width, type, line},
                      file);
        column = start + static_cast<std::int64_t>(names.size()) * width;
    }
    return one_record(std::move(record), file, command_line, "DATA LIST");
}

// --- Stata -----------------------------------------------------------------------------------------

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
            const std::size_t brace = line.find('{');
            if (upper_ascii(line).find("DICTIONARY") == std::string::npos || brace == std::string_view::npos)
                throw LayoutError(file, number, "a Stata dictionary starts with 'dictionary ... {'");
            open = true;
            record.line = number;
            line = strip_blanks(line.substr(brace + 1));
            if (line.empty()) continue;
        }
        if (line[0] == '}') {
            closed = true;
            continue;
        }
        std::vector<LayoutWord> words = words_of({{line, number}}, "");
        Cursor in{words, file};
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
        add_field(record, std::move(field), file);
    }
    if (!open) throw LayoutError(file, 1, "no dictionary");
    if (!closed)
        throw LayoutError(file, static_cast<int>(lines.size()), "the dictionary is not closed by '}'");
    return one_record(std::move(record), file, record.line, "the dictionary");
}

}  // namespace qvr
