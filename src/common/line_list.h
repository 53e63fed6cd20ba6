#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qvr {

class MappedFile;

/// The lines a view shows, as the file's bytes: one block of text and a start and length per line, so a
/// view of a million lines costs its bytes and 16 bytes a line, and filling it from a file is one pass
/// over the loaded text instead of a document built character by character.
class LineList {
  public:
    std::size_t size() const { return spans_.size(); }
    bool empty() const { return spans_.empty(); }
    std::string_view operator[](std::size_t i) const {
        return {bytes() + spans_[i].start, static_cast<std::size_t>(spans_[i].size)};
    }
    /// The length of the longest line, in columns.
    std::size_t longest() const { return longest_; }

    /// Whether a column is a UTF-8 character (invalid bytes one column each) rather than a byte; kept
    /// through clear() and every change of the lines.
    void count_characters(bool on);
    bool counts_characters() const { return chars_; }
    /// The columns of line `i`.
    std::size_t columns(std::size_t i) const;
    /// Up to `count` columns of line `i` from column `first`.
    std::string_view column_slice(std::size_t i, std::size_t first, std::size_t count) const;

    void clear();
    void append(std::string_view line);
    /// Replaces the lines by those of `text`, which the list keeps (its line ends stay between the lines):
    /// they end at CR LF, a lone CR or a lone LF, and a byte 0 is a byte of its line.
    void assign_text(std::string text);
    void assign(const std::vector<std::string>& lines);
    /// Replaces the lines by those of the file at `path` taken whole (as assign_text()), at most
    /// `max_lines` of them. The file is mapped, not copied: the list holds 16 bytes a line and the
    /// pages of the file being shown. Returns whether every line was taken. Throws FileError.
    bool assign_file(const std::string& path, std::size_t max_lines);

    /// Puts the lines of `block` before each line whose index is in `at` (indices of the list as it is).
    void insert_before(const std::vector<std::size_t>& at, const std::vector<std::string>& block);
    /// Removes the `n` lines from each index of `at` (indices of the list as it is; runs do not overlap).
    void erase_runs(const std::vector<std::size_t>& at, std::size_t n);

    /// A place in the lines as a text box counts it: the characters before it, a line break counting one.
    std::uint64_t position_of(std::size_t line, std::size_t column) const;
    /// The line and column of a position (clamped to the end of the text).
    void place_of(std::uint64_t position, std::size_t& line, std::size_t& column) const;
    /// Characters in all, the line breaks between lines included.
    std::uint64_t length() const;

  private:
    struct Span {
        std::uint64_t start;
        std::uint64_t size;
    };
    void add_span(std::uint64_t start, std::uint64_t size);
    /// The lines of text[from, to) into `spans`, the longest into `longest`.
    static void split_lines(std::string_view text, std::size_t from, std::size_t to, std::vector<Span>& spans,
                            std::size_t& longest);
    void changed();
    std::size_t columns_of(std::string_view line) const;
    const std::vector<std::uint64_t>& positions() const;
    const char* bytes() const { return mapped_bytes_ ? mapped_bytes_ : text_.data(); }
    /// A list of a mapped file copies its text before it changes it.
    void own_text();
    /// After a pass over every line of a mapped file, its pages go back to the system.
    void release_pages() const;

    std::string text_;
    std::shared_ptr<const MappedFile> mapped_;
    const char* mapped_bytes_ = nullptr;  // mapped_'s bytes, when the text is a mapped file
    std::vector<Span> spans_;
    std::size_t longest_ = 0;
    bool chars_ = false;
    mutable std::vector<std::uint64_t> positions_;  // each line's first position, made when first asked
};

}  // namespace qvr
