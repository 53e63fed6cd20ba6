#include "fields/layout_setup.h"

#include <algorithm>
#include <cctype>

namespace qvr {

std::string numeric_type(std::int64_t decimals) {
    return decimals > 0 ? "dec(" + std::to_string(decimals) + ")" : "num";
}

bool is_name_start(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }

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

void add_setup_field(ImportedRecord& record, ImportedField field, const std::string& file) {
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

}  // namespace qvr
