#include "fields/layout_cobol_entries.h"

#include <algorithm>

#include "fields/imported_layout.h"
#include "fields/layout_text.h"

namespace qvr {

namespace {

struct Token {
    std::string text;
    int line = 0;
    bool ends_entry = false;
};

/// The text of the copybook's lines that counts: columns 8 to 72, comments left out.
class CopybookTokens {
  public:
    CopybookTokens(std::string_view text, const std::string& file) : file_(file) {
        int number = 0;
        for (std::string_view line : text_lines(text)) add_line(line, ++number);
        if (literal_open_) throw LayoutError(file_, literal_line_, "a literal is not closed");
    }
    std::vector<Token> tokens;

  private:
    const std::string& file_;
    char literal_open_ = 0;  // the quote of a literal that a continuation line goes on with
    int literal_line_ = 0;

    void add_line(std::string_view line, int number) {
        if (line.size() <= 6) return;
        const char indicator = line[6];
        // Debugging lines (D) are compiled only on request; they never describe data.
        if (indicator == '*' || indicator == '/' || indicator == 'D' || indicator == 'd') return;
        std::string_view area = line.substr(7, 65);
        if (indicator == '-') {
            if (!literal_open_) throw LayoutError(file_, number, "a continuation line continues no literal");
            const std::size_t quote = area.find(literal_open_);
            if (quote == std::string_view::npos)
                throw LayoutError(file_, number, "a continuation line does not start with a quote");
            area.remove_prefix(quote + 1);
            area = skip_literal(area, number);
        } else if (indicator != ' ') {
            throw LayoutError(file_, number,
                              std::string("column 7 holds '") + indicator +
                                  "', which is neither a comment mark (*, /) nor a continuation (-)");
        } else if (literal_open_) {
            throw LayoutError(file_, literal_line_, "a literal is not closed");
        }
        split_words(area, number);
    }

    // Consumes the rest of an open literal; what follows it is returned.
    std::string_view skip_literal(std::string_view area, int number) {
        for (std::size_t i = 0; i < area.size(); ++i) {
            if (area[i] != literal_open_) continue;
            if (i + 1 < area.size() && area[i + 1] == literal_open_) {
                ++i;  // a doubled quote stands for one
                continue;
            }
            literal_open_ = 0;
            const std::string_view rest = area.substr(i + 1);
            if (!rest.empty() && rest[0] == '.' && (rest.size() == 1 || rest[1] == ' ') && !tokens.empty())
                tokens.back().ends_entry = true;
            return rest.empty() || rest[0] != '.' ? rest : rest.substr(1);
        }
        literal_line_ = number;
        return {};
    }

    void split_words(std::string_view area, int number) {
        std::size_t i = 0;
        while (i < area.size()) {
            if (area[i] == ' ' || area[i] == '\t') {
                ++i;
                continue;
            }
            std::size_t end = i;
            while (end < area.size() && area[end] != ' ' && area[end] != '\t' && area[end] != '"' &&
                   area[end] != '\'')
                ++end;
            if (end < area.size() && (area[end] == '"' || area[end] == '\'')) {
                // A literal (X"41" and the like too): its words are no clauses, and only VALUE has one.
                tokens.push_back({std::string(area.substr(i, end - i)) + "\"", number, false});
                literal_open_ = area[end];
                literal_line_ = number;
                const std::string_view rest = skip_literal(area.substr(end + 1), number);
                if (literal_open_) return;
                i = area.size() - rest.size();
                continue;
            }
            std::string word(area.substr(i, end - i));
            if (word.rfind("*>", 0) == 0) return;  // a comment to the end of the line
            i = end;
            bool ends = false;
            // A period ends the entry only where a blank or the line's end follows it: in a picture
            // such as 9(5).99 it is an insertion character.
            if (word.size() > 1 && word.back() == '.') {
                word.pop_back();
                ends = true;
            } else if (word == ".") {
                if (tokens.empty()) throw LayoutError(file_, number, "a period ends no entry");
                tokens.back().ends_entry = true;
                continue;
            }
            // A comma or semicolon followed by a blank separates, as a blank does.
            while (!word.empty() && (word.back() == ',' || word.back() == ';')) word.pop_back();
            if (word.empty()) continue;
            tokens.push_back({std::move(word), number, ends});
        }
    }
};

class EntryParser {
  public:
    EntryParser(const std::vector<Token>& entry, const std::string& file) : entry_(entry), file_(file) {}

    /// The item of the entry; none for a level 88 (a condition name, which holds no columns).
    std::unique_ptr<CopybookItem> parse() {
        const Token& first = entry_[0];
        const auto level = read_count(first.text);
        if (!level) throw error(first, "'" + first.text + "' is not a level number");
        if (*level == 88) return nullptr;
        if (*level == 66) throw error(first, "level 66 (RENAMES) is not supported");
        if (*level == 77) throw error(first, "level 77 describes no record; put the item under an 01 level");
        if (*level < 1 || *level > 49) throw error(first, "level " + first.text + " is not 01 to 49");
        auto item = std::make_unique<CopybookItem>();
        item->level = static_cast<int>(*level);
        item->line = first.line;
        pos_ = 1;
        if (pos_ < entry_.size() && !is_clause_word(upper(pos_))) {
            const std::string name = entry_[pos_++].text;
            if (upper_ascii(name) != "FILLER") item->name = name;
        }
        while (pos_ < entry_.size()) clause(*item);
        return item;
    }

  private:
    const std::vector<Token>& entry_;
    const std::string& file_;
    std::size_t pos_ = 0;

    LayoutError error(const Token& at, const std::string& message) const {
        return LayoutError(file_, at.line, message);
    }
    std::string upper(std::size_t i) const { return i < entry_.size() ? upper_ascii(entry_[i].text) : ""; }
    bool next_is(const char* word) {
        if (upper(pos_) != word) return false;
        ++pos_;
        return true;
    }
    const Token& take(const char* what) {
        if (pos_ >= entry_.size()) throw error(entry_.back(), std::string(what) + " is missing");
        return entry_[pos_++];
    }

    static bool is_clause_word(const std::string& w) {
        static const char* const words[] = {"PIC",
                                            "PICTURE",
                                            "USAGE",
                                            "REDEFINES",
                                            "OCCURS",
                                            "VALUE",
                                            "VALUES",
                                            "SIGN",
                                            "LEADING",
                                            "TRAILING",
                                            "JUSTIFIED",
                                            "JUST",
                                            "BLANK",
                                            "SYNC",
                                            "SYNCHRONIZED",
                                            "GLOBAL",
                                            "EXTERNAL",
                                            "DISPLAY",
                                            "BINARY",
                                            "PACKED-DECIMAL",
                                            "COMP",
                                            "COMPUTATIONAL",
                                            "COMP-1",
                                            "COMP-2",
                                            "COMP-3",
                                            "COMP-4",
                                            "COMP-5",
                                            "COMPUTATIONAL-1",
                                            "COMPUTATIONAL-2",
                                            "COMPUTATIONAL-3",
                                            "COMPUTATIONAL-4",
                                            "COMPUTATIONAL-5",
                                            "INDEXED",
                                            "ASCENDING",
                                            "DESCENDING",
                                            "RENAMES"};
        return std::find(std::begin(words), std::end(words), w) != std::end(words);
    }

    bool usage_word(CopybookItem& item, const Token& at) {
        const std::string w = upper_ascii(at.text);
        if (w == "DISPLAY") {
            item.usage = CopybookUsage::display;
        } else if (w == "COMP" || w == "COMPUTATIONAL" || w == "BINARY" || w == "COMP-4" ||
                   w == "COMPUTATIONAL-4" || w == "COMP-5" || w == "COMPUTATIONAL-5") {
            item.usage = CopybookUsage::binary;
        } else if (w == "COMP-3" || w == "COMPUTATIONAL-3" || w == "PACKED-DECIMAL") {
            item.usage = CopybookUsage::packed;
        } else if (w == "COMP-1" || w == "COMP-2" || w == "COMPUTATIONAL-1" || w == "COMPUTATIONAL-2") {
            throw error(at, at.text + " (a floating-point number) is not supported");
        } else {
            return false;
        }
        return true;
    }

    void clause(CopybookItem& item) {
        const Token& at = entry_[pos_];
        const std::string w = upper(pos_++);
        if (w == "PIC" || w == "PICTURE") {
            next_is("IS");
            item.picture = upper_ascii(take("the picture").text);
        } else if (w == "REDEFINES") {
            item.redefines = take("the name REDEFINES refers to").text;
        } else if (w == "USAGE") {
            next_is("IS");
            const Token& u = take("the usage");
            if (!usage_word(item, u)) throw error(u, "usage '" + u.text + "' is not supported");
        } else if (usage_word(item, at)) {
        } else if (w == "SIGN" || w == "LEADING" || w == "TRAILING") {
            std::string place = w;
            if (w == "SIGN") {
                next_is("IS");
                place = upper(pos_);
                if (place != "LEADING" && place != "TRAILING")
                    throw error(at, "SIGN needs LEADING or TRAILING");
                ++pos_;
            }
            item.sign = place == "LEADING" ? CopybookSign::leading : CopybookSign::trailing;
            if (next_is("SEPARATE")) {
                item.sign_separate = true;
                next_is("CHARACTER");
            }
        } else if (w == "OCCURS") {
            occurs(item, at);
        } else if (w == "VALUE" || w == "VALUES") {
            // The initial value of a program's storage says nothing about the file.
            next_is("IS") || next_is("ARE");
            next_is("ALL");
            take("the value");
        } else if (w == "JUSTIFIED" || w == "JUST") {
            next_is("RIGHT");
        } else if (w == "BLANK") {
            next_is("WHEN");
            const std::string z = upper(pos_);
            if (z != "ZERO" && z != "ZEROS" && z != "ZEROES") throw error(at, "BLANK needs WHEN ZERO");
            ++pos_;
        } else if (w == "GLOBAL" || w == "EXTERNAL") {
        } else if (w == "SYNC" || w == "SYNCHRONIZED") {
            throw error(at, w + " is not supported: the slack bytes it adds depend on the compiler");
        } else {
            throw error(at, "'" + at.text + "' is not understood");
        }
    }

    void occurs(CopybookItem& item, const Token& at) {
        const Token& n = take("the OCCURS count");
        const auto count = read_count(n.text);
        if (!count || *count < 1) throw error(n, "OCCURS needs a count of 1 or more, not '" + n.text + "'");
        if (upper(pos_) == "TO" ||
            std::any_of(entry_.begin() + static_cast<std::ptrdiff_t>(pos_), entry_.end(),
                        [](const Token& t) { return upper_ascii(t.text) == "DEPENDING"; }))
            throw error(at, "OCCURS DEPENDING ON (a count read from the record) is not supported");
        next_is("TIMES");
        item.has_occurs = true;
        item.occurs = *count;
        // Keys and indexes name things of the program, not columns.
        while (pos_ < entry_.size()) {
            const std::string w = upper(pos_);
            if (w == "ASCENDING" || w == "DESCENDING" || w == "INDEXED") {
                ++pos_;
                while (pos_ < entry_.size() && !is_clause_word(upper(pos_))) ++pos_;
            } else {
                break;
            }
        }
    }
};

}  // namespace

std::vector<std::unique_ptr<CopybookItem>> copybook_items(std::string_view text, const std::string& file) {
    const CopybookTokens split(text, file);
    // Entries end at their period; an item goes under the nearest open item of a lower level.
    std::vector<std::unique_ptr<CopybookItem>> roots;
    std::vector<CopybookItem*> open;
    std::vector<Token> entry;
    for (const Token& token : split.tokens) {
        entry.push_back(token);
        if (!token.ends_entry) continue;
        std::unique_ptr<CopybookItem> item = EntryParser(entry, file).parse();
        entry.clear();
        if (!item) continue;
        while (!open.empty() && open.back()->level >= item->level) open.pop_back();
        CopybookItem* raw = item.get();
        if (item->level == 1 || open.empty()) {
            // Items under no 01 level (a copybook meant to be copied under one) make one record.
            if (item->level != 1) {
                auto root = std::make_unique<CopybookItem>();
                root->line = item->line;
                open.push_back(root.get());
                roots.push_back(std::move(root));
            } else {
                roots.push_back(std::move(item));
                open.push_back(raw);
                continue;
            }
        }
        CopybookItem* parent = open.back();
        if (!parent->picture.empty())
            throw LayoutError(file, raw->line,
                              (parent->name.empty() ? std::string("FILLER") : parent->name) +
                                  " has a picture, so it cannot hold the items below it");
        parent->children.push_back(std::move(item));
        open.push_back(raw);
    }
    if (!entry.empty()) throw LayoutError(file, entry.front().line, "the entry is not ended by a period");
    if (roots.empty()) throw LayoutError(file, 1, "the copybook describes no record");
    return roots;
}

}  // namespace qvr
