// The DATA LIST FIXED command of an SPSS syntax file.
#include <algorithm>
#include <cctype>

#include "fields/layout_setup.h"

namespace qvr {

namespace {

/// Names v1 TO v5 stand for v1, v2, ... v5, with the digits' width of the first.
std::vector<std::string> spss_names(SetupCursor& in) {
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
std::pair<std::string, std::int64_t> spss_format(const SetupCursor& in, std::string_view word) {
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
    SetupCursor in{words, file};
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
            add_setup_field(
                record, {names[i], start + static_cast<std::int64_t>(i) * width, width, type, line}, file);
        column = start + static_cast<std::int64_t>(names.size()) * width;
    }
    return one_record(std::move(record), file, command_line, "DATA LIST");
}

}  // namespace qvr
