#pragma once

// What the readers of survey setup files (SAS INPUT, SPSS DATA LIST, Stata dictionaries) share. Each says
// where a variable's columns are and whether it is read as text or as a number; a width with decimals
// (w.d, (d), %w.df) means implied decimals where the data holds no point.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fields/imported_layout.h"
#include "fields/layout_text.h"

namespace qvr {

/// dec(N) for a number with decimals, num for one without.
std::string numeric_type(std::int64_t decimals);

bool is_name_start(char c);

/// The words of a text with their lines: blanks separate, a parenthesised group is one word, and each
/// of `singles` is a word of its own.
std::vector<LayoutWord> words_of(const std::vector<std::pair<std::string_view, int>>& lines,
                                 std::string_view singles);

/// Lines with comments left out: /* ... */ everywhere, and `line_comment` to the end of a line.
std::vector<std::pair<std::string, int>> without_comments(std::string_view text,
                                                          std::string_view line_comment);

/// Walks through the words of a setup statement.
struct SetupCursor {
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

/// Appends a field after checking its columns; the record's length follows.
void add_setup_field(ImportedRecord& record, ImportedField field, const std::string& file);

/// The layout of the one record a setup describes; refused when it declares no variable.
ImportedLayout one_record(ImportedRecord record, const std::string& file, int line, const char* what);

}  // namespace qvr
