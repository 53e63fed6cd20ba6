#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/job_settings.h"
#include "fields/field_columns.h"
#include "fields/field_table.h"
#include "fields/field_type.h"

namespace qvr {

/// `text` without its leading and trailing bytes of code 32 or less (blanks, tabs, other controls).
std::string_view trim_blanks(std::string_view text);

/// `field` as a separated file holds it: between double quotes with its quotes doubled when it holds the
/// separator, a double quote, a CR or a LF, else as it is (RFC 4180).
std::string quoted_field(std::string_view field, std::string_view separator);

/// Cuts input lines into the fields of a field table and joins them by a separator: the cut line.
class LineCutter {
  public:
    /// In UTF-8 the slices count characters; `quote` writes each field as quoted_field() does. A field
    /// of another type than text is written as its value (convert_value()); when some field is packed or
    /// binary, a column is a byte whatever the encoding, for those bytes are no text. No types, or text
    /// only, cut as fast as ever.
    LineCutter(std::vector<FieldSlice> slices, std::string separator, bool trim,
               TextEncoding encoding = TextEncoding::cp1252, bool quote = false,
               std::vector<FieldType> types = {});

    /// The cut line of `line`, written into `out` (its former content dropped, its memory reused). A
    /// value that its type cannot read is written empty and, given a tally, counted at `line_number`.
    void cut(std::string_view line, std::string& out, BadValueTally* bad = nullptr,
             std::uint64_t line_number = 0) const;

    /// The most bytes the cut line of a line of `line_size` bytes can take.
    std::size_t max_cut_size(std::size_t line_size) const;

    /// Writes the cut line of `line` at `out`, which has room for max_cut_size(line.size()) bytes, and
    /// returns the end of what it wrote. The runs cut straight into their output this way, so a line
    /// costs no copy and no allocation.
    char* cut_to(std::string_view line, char* out) const;
    /// cut_to() that counts the values its types cannot read at `line_number`, when given a tally. `raw`,
    /// when not empty, holds the bytes `line` was decoded from, one a character (a code page's record):
    /// packed and binary fields are read from them, the others from `line` by characters.
    char* cut_to(std::string_view line, char* out, BadValueTally* bad, std::uint64_t line_number,
                 std::string_view raw = {}) const;

    const std::vector<FieldSlice>& slices() const { return slices_; }
    /// One per slice when typed(), else none.
    const std::vector<FieldType>& types() const { return types_; }
    /// True when some field is of another type than text.
    bool typed() const { return typed_; }
    /// Whether field `i` holds bytes rather than text (packed, binary).
    bool reads_bytes(std::size_t i) const { return typed_ && types_[i].reads_bytes(); }

    /// Writes `field` (a value carried from another record) as a field of its own before a cut line, as
    /// the fields are written (trimmed, quoted), followed by the separator; returns the end.
    char* put_front(std::string_view field, char* out) const;
    /// The most bytes put_front() writes for a field of `size` bytes.
    std::size_t max_front_size(std::size_t size) const { return 2 * size + 2 + separator_.size(); }

  private:
    template <bool Quote, class Slicer>
    char* cut_fields(std::string_view line, char* out, Slicer slicer) const;
    char* cut_quoted_or_chars_to(std::string_view line, char* out) const;
    /// A line with multi-byte characters: its fields are found by walking its characters.
    char* cut_chars_to(std::string_view line, char* out) const;
    template <bool Quote>
    char* put_field(std::string_view field, char* out) const;
    template <bool Quote>
    char* cut_typed_to(std::string_view line, char* out, BadValueTally* bad, std::uint64_t line_number,
                       std::string_view raw) const;
    template <bool Quote, class Slicer>
    char* typed_fields(std::string_view line, char* out, BadValueTally* bad, std::uint64_t line_number,
                       Slicer slicer, std::string_view raw) const;

    std::vector<FieldSlice> slices_;
    std::string separator_;
    bool trim_;
    bool utf8_;
    bool quote_;
    bool bytes_only_;
    std::vector<FieldType> types_;  // one per slice when typed_
    bool typed_ = false;
    bool byte_columns_ = false;         // some field holds bytes: a column is a byte
    std::size_t most_field_bytes_ = 0;  // what the fields can take, however long the line
    std::size_t joins_and_values_ = 0;  // the separators, and what values may take beyond their fields
};

/// The three tests a cut line must pass to reach the result, on bytes and case-sensitive: it contains the
/// contains text (when there is one), is not below the lower bound, and not above the upper bound (when
/// there is one).
struct LineFilter {
    std::string contains;
    std::string lower;
    std::string upper;

    bool passes(std::string_view cut_line) const;

    /// True when no test is set, so that every cut line passes.
    bool lets_all_pass() const { return contains.empty() && lower.empty() && upper.empty(); }
};

}  // namespace qvr
