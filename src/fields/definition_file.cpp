#include "fields/definition_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <optional>

#include "common/file_error.h"
#include "common/output_file.h"
#include "common/whole_number.h"
#include "common/whole_text.h"

namespace qvr {

namespace {

constexpr std::size_t kNameWidth = 10;
constexpr std::size_t kNumberWidth = 5;
constexpr std::size_t kLongestNumberText = 32;
constexpr char kEndOfFile = 26;

std::string name_columns(std::string_view name) {
    std::string out(name.substr(0, kNameWidth));
    // A line end or a Ctrl+Z inside a name would end its line or the whole file when read back.
    for (char& c : out)
        if (c == '\r' || c == '\n' || c == kEndOfFile) c = ' ';
    out.resize(kNameWidth, ' ');
    return out;
}

std::string number_columns(const std::string& cell) {
    // The table reads any text that is no whole number as 0. Written as it stands, an empty text would
    // let the reader take the next number in its place, and other text would make the file unreadable.
    std::string out = read_whole_number(cell) ? cell : std::string("0");
    // A number that fills its columns keeps one blank after it, or it would fuse with the next one.
    if (out.size() >= kNumberWidth) return out + ' ';
    out.resize(kNumberWidth, ' ');
    return out;
}

/// The size on disk of a regular file; 0 for anything else, which the reading then refuses with its reason.
std::uint64_t file_size(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;
}

bool is_blank(char c) { return static_cast<unsigned char>(c) <= 32; }

// CR LF, a lone CR and a lone LF end a line, as in the input file.
bool is_line_end(char c) { return c == '\r' || c == '\n'; }

/// Walks through the text of a definition file as its lines and numbers are read.
class DefinitionReader {
  public:
    explicit DefinitionReader(std::string_view text) : text_(text.substr(0, text.find(kEndOfFile))) {}

    bool at_end() const { return pos_ >= text_.size(); }

    std::string name() {
        std::size_t len = 0;
        while (len < kNameWidth && pos_ + len < text_.size() && !is_line_end(text_[pos_ + len])) ++len;
        std::string out(text_.substr(pos_, len));
        pos_ += len;
        return out;
    }

    std::string number() {
        while (!at_end() && is_blank(text_[pos_])) ++pos_;
        if (at_end()) return "0";
        std::size_t len = 0;
        while (len < kLongestNumberText && pos_ + len < text_.size() && !is_blank(text_[pos_ + len])) ++len;
        std::string_view digits = text_.substr(pos_, len);
        const std::optional<std::int32_t> value = read_whole_number(digits);
        if (!value) throw DefinitionNumberError(digits, line_at(pos_));
        pos_ += len;
        return decimal_text(*value);
    }

    /// The type written after the end position: a spelling starting with a type's word is read as one
    /// (and refused when it is none); any other text there is a note, skipped with the rest of the line.
    FieldType type() {
        std::size_t at = pos_;
        while (at < text_.size() && is_blank(text_[at]) && !is_line_end(text_[at])) ++at;
        std::size_t word = 0;
        while (at + word < text_.size() && text_[at + word] >= 'a' && text_[at + word] <= 'z') ++word;
        if (word == 0 || !is_field_type_word(text_.substr(at, word))) return {};
        std::size_t len = word;
        if (at + len < text_.size() && text_[at + len] == '(') {
            // A date pattern may hold blanks: the spelling runs to its closing parenthesis.
            while (at + len < text_.size() && !is_line_end(text_[at + len]) && text_[at + len] != ')') ++len;
            if (at + len < text_.size() && text_[at + len] == ')') ++len;
        } else if (at + len < text_.size() && !is_blank(text_[at + len])) {
            return {};  // a word that only begins like a type's: a note
        }
        pos_ = at + len;
        return parse_field_type(text_.substr(at, len));
    }

    void skip_rest_of_line() {
        const std::size_t stop = text_.find_first_of("\r\n", pos_);
        if (stop == std::string_view::npos) {
            pos_ = text_.size();
            return;
        }
        pos_ = stop + 1;
        if (text_[stop] == '\r' && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    }

  private:
    // Counted only for a refusal: a CR LF ends one line. `at` is a number's first byte, so a CR before it
    // has a byte after it.
    std::uint64_t line_at(std::size_t at) const {
        std::uint64_t line = 1;
        for (std::size_t i = 0; i < at; ++i)
            if (text_[i] == '\n' || (text_[i] == '\r' && text_[i + 1] != '\n')) ++line;
        return line;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

std::string definition_file_text(const FieldTable& table) {
    std::string out;
    out.reserve(static_cast<std::size_t>(table.row_count()) * 27);
    for (int row = 1; row <= table.row_count(); ++row) {
        out += name_columns(table.cell(FieldTable::kName, row));
        for (int column : {FieldTable::kStart, FieldTable::kLength, FieldTable::kEnd})
            out += number_columns(table.cell(column, row));
        // A text field's line stays as it always was; another type follows the end position.
        const FieldType& type = table.field(row).type;
        if (!type.is_text()) out += field_type_spelling(type);
        out += "\r\n";
    }
    return out;
}

std::vector<FieldTable::Row> parse_definition_text(std::string_view text) {
    DefinitionReader reader(text);
    std::vector<FieldTable::Row> rows;
    while (!reader.at_end()) {
        FieldTable::Row row;
        row[FieldTable::kName] = reader.name();
        row[FieldTable::kStart] = reader.number();
        row[FieldTable::kLength] = reader.number();
        row[FieldTable::kEnd] = reader.number();
        row.type = reader.type();
        reader.skip_rest_of_line();
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<FieldTable::Row> read_definition_file(const std::string& path, std::uint64_t memory_available) {
    try {
        if (file_size(path) > memory_available) throw std::bad_alloc();
        const std::string text = load_whole_file(path);
        // Every line end can start a row, and a row takes far more memory than its bytes.
        const auto rows =
            static_cast<std::uint64_t>(std::count_if(text.begin(), text.end(), is_line_end)) + 1;
        if (text.size() + rows * sizeof(FieldTable::Row) > memory_available) throw std::bad_alloc();
        return parse_definition_text(text);
    } catch (const std::bad_alloc&) {
        throw_file_error("Cannot read file", path, ENOMEM);
    }
}

void write_definition_file(const std::string& path, const FieldTable& table) {
    replace_file_safely(path, definition_file_text(table));
}

}  // namespace qvr
