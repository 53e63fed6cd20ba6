#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/job_settings.h"
#include "fields/field_columns.h"
#include "fields/field_table.h"

namespace qvr {

/// `text` without its leading and trailing bytes of code 32 or less (blanks, tabs, other controls).
std::string_view trim_blanks(std::string_view text);

/// `field` as a separated file holds it: between double quotes with its quotes doubled when it holds the
/// separator, a double quote, a CR or a LF, else as it is (RFC 4180).
std::string quoted_field(std::string_view field, std::string_view separator);

/// Cuts input lines into the fields of a field table and joins them by a separator: the cut line.
class LineCutter {
  public:
    /// In UTF-8 the slices count characters; `quote` writes each field as quoted_field() does.
    LineCutter(std::vector<FieldSlice> slices, std::string separator, bool trim,
               TextEncoding encoding = TextEncoding::cp1252, bool quote = false);

    /// The cut line of `line`, written into `out` (its former content dropped, its memory reused).
    void cut(std::string_view line, std::string& out) const;

    /// The most bytes the cut line of a line of `line_size` bytes can take.
    std::size_t max_cut_size(std::size_t line_size) const;

    /// Writes the cut line of `line` at `out`, which has room for max_cut_size(line.size()) bytes, and
    /// returns the end of what it wrote. The runs cut straight into their output this way, so a line
    /// costs no copy and no allocation.
    char* cut_to(std::string_view line, char* out) const;

    const std::vector<FieldSlice>& slices() const { return slices_; }

  private:
    template <bool Quote, class Slicer>
    char* cut_fields(std::string_view line, char* out, Slicer slicer) const;
    char* cut_quoted_or_chars_to(std::string_view line, char* out) const;
    /// A line with multi-byte characters: its fields are found by walking its characters.
    char* cut_chars_to(std::string_view line, char* out) const;
    template <bool Quote>
    char* put_field(std::string_view field, char* out) const;

    std::vector<FieldSlice> slices_;
    std::string separator_;
    bool trim_;
    bool utf8_;
    bool quote_;
    bool bytes_only_;
    std::size_t most_field_bytes_ = 0;  // what the fields can take, however long the line
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
