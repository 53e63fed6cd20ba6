#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qvr {

/// What the lines of a file hold in one column, summed over every line counted.
struct ColumnFigures {
    std::uint64_t text = 0;     ///< lines with a character other than a blank here
    std::uint64_t digits = 0;   ///< of those, digits
    std::uint64_t letters = 0;  ///< of those, letters (bytes from 128 up count as letters)
    std::uint64_t signs = 0;    ///< of those, plus and minus signs
    std::uint64_t starts = 0;   ///< lines where a text begins here: a blank or the line's start before it
    std::uint64_t digit_starts = 0;  ///< of those, texts that begin with a digit or a sign
    std::uint64_t ends = 0;          ///< lines where a text ends here: a blank or the line's end after it
    unsigned char top = ' ';         ///< the most frequent character other than a blank
    std::uint64_t top_count = 0;
    /// Characters other than a blank seen here in one text in a hundred or more: a flag holds few,
    /// a code's letters many.
    unsigned distinct = 0;
    unsigned distinct_letters = 0;  ///< a letter in both cases counted once
    std::uint64_t digit_counts[10] = {};
};

/// Sums, in one pass over the lines of a file, what each column holds: every character counted in a
/// histogram per column, so the pass costs one counter per byte and no allocation per line. Lines much
/// shorter than most (trailers, cut-off records) are counted apart, so they move no boundary; the first
/// line is held back, since it may be a heading rather than data.
class ColumnStatistics {
  public:
    /// Columns past this are not looked at: a fixed-column record is narrower, and a file without line
    /// ends would otherwise take memory in proportion to its size.
    static constexpr std::size_t kMaxColumns = 4096;

    /// With `utf8_columns`, a column is a UTF-8 character (a byte that starts none, one column), summed
    /// as its first byte; else a column is a byte.
    explicit ColumnStatistics(bool utf8_columns = false);

    /// Counts one line (without its line end); only its first kMaxColumns columns are looked at.
    void add_line(std::string_view line);
    /// Whether a line was longer than kMaxColumns, so that columns past them went unseen.
    bool cut_lines() const { return cut_lines_; }
    /// Counts the lines still held back; call once after the last line, before reading the figures.
    void finish();
    /// Counts the first line as data, once it turned out to be no heading.
    void count_first_line() { count(first_line_); }

    /// Columns up to the longest line counted.
    std::size_t width() const { return columns_; }
    /// Lines whose figures are summed (the short ones and the first line not counted).
    std::uint64_t counted_lines() const { return counted_; }
    std::uint64_t short_lines() const { return short_; }
    std::uint64_t all_lines() const { return all_; }
    /// Bytes below 32 other than a tab in the lines counted: many of them say the file is no text.
    std::uint64_t control_bytes() const;
    std::uint64_t bytes() const { return bytes_; }
    /// The first line, cut to kMaxColumns columns, a byte a column (a character's first byte).
    const std::string& first_line() const { return first_line_; }
    /// The first line as read, cut to kMaxColumns bytes.
    const std::string& first_line_text() const { return first_line_text_; }
    bool utf8_columns() const { return utf8_; }

    ColumnFigures figures(std::size_t column) const;

  private:
    /// One histogram row per column: 256 counters for a character after a text, 256 for one after a blank.
    static constexpr std::size_t kRow = 512;
    void count(std::string_view line);
    void grow(std::size_t columns);
    void fold();
    bool is_short(std::size_t length);

    // Narrow counters keep the part of the histogram a line touches in the first-level cache; they are
    // folded into wide ones before they can overflow.
    using Counter = std::uint16_t;
    std::vector<Counter> histogram_;
    std::vector<std::uint64_t> folded_;
    std::uint32_t since_fold_ = 0;
    std::size_t columns_ = 0;
    std::vector<std::uint64_t> lengths_;    // lines by length, kMaxColumns standing for any longer one
    std::vector<std::uint64_t> last_text_;  // counted lines by their last column, when it holds text
    std::uint64_t counted_ = 0, short_ = 0, all_ = 0, bytes_ = 0;
    std::size_t short_below_ = 0;
    std::string first_line_, first_line_text_;
    bool utf8_;
    std::string one_byte_a_column_;
    bool settled_ = false;
    bool cut_lines_ = false;
    // The first lines wait until enough lengths are known to tell a short one.
    std::string waiting_;
    std::vector<std::size_t> waiting_ends_;
};

}  // namespace qvr
