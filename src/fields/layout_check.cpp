#include "fields/layout_check.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "common/char_map.h"
#include "common/line_lengths.h"
#include "common/line_reader.h"
#include "fields/field_columns.h"

namespace qvr {

namespace {

/// Columns looked at: the fields' reach, up to this; past it a line is only measured, so a line of any
/// length takes bounded memory.
constexpr std::size_t kMaxLookedAt = std::size_t{1} << 26;
/// Columns past this are not told one by one when no field covers them: a field of an absurd length
/// would otherwise take memory in proportion to it.
constexpr std::size_t kTrackedColumns = 1 << 20;
/// Short or overlong lines, one in this many lines or fewer, are damaged records rather than a misfit.
constexpr std::uint64_t kOddLinesPer = 10;

struct Range {
    int row;
    std::size_t first, last;  // 0-based columns
};

std::string field_label(const FieldTable& table, int row) {
    std::string name = table.cell(FieldTable::kName, row);
    name.erase(name.find_last_not_of(' ') + 1);
    return "Field " + std::to_string(row) + (name.empty() ? "" : " (" + with_escaped_controls(name) + ")");
}

bool has_text(std::string_view line, std::size_t first, std::size_t last) {
    for (std::size_t c = first; c <= last && c < line.size(); ++c)
        if (line[c] != ' ') return true;
    return false;
}

class Checker {
  public:
    Checker(const FieldTable& table, TextEncoding encoding) : table_(table) {
        const std::vector<FieldSlice> slices = table.slices();
        for (int row = 1; row <= table.row_count(); ++row) {
            const FieldType& type = table.field(row).type;
            if (type.is_text()) continue;
            typed_.push_back({static_cast<std::size_t>(row - 1), slices[static_cast<std::size_t>(row - 1)]});
            byte_columns_ = byte_columns_ || type.reads_bytes();
        }
        // Cut as the extract cuts: bytes of packed and binary fields are no characters.
        value_encoding_ = encoding == TextEncoding::utf8 && !byte_columns_ ? encoding : TextEncoding::cp1252;
        for (int row = 1; row <= table.row_count(); ++row) {
            const FieldSlice s = slices[static_cast<std::size_t>(row - 1)];
            if (s.start <= 0 || s.length <= 0) {
                unusable_.push_back(row);
                continue;
            }
            const std::size_t first = static_cast<std::size_t>(s.start) - 1;
            ranges_.push_back({row, first, first + static_cast<std::size_t>(s.length) - 1});
            end_ = std::max(end_, first + static_cast<std::size_t>(s.length));
        }
        const std::size_t tracked = std::min(end_, kTrackedColumns);
        std::vector<bool> covered(tracked);
        for (const Range& r : ranges_)
            for (std::size_t c = r.first; c <= r.last && c < tracked; ++c) covered[c] = true;
        for (std::size_t c = 0; c < tracked; ++c)
            if (!covered[c]) unseen_columns_.push_back(c);
        unseen_fields_ = ranges_;
        first_text_.assign(tracked, 0);
    }

    /// The columns each line is cut to before add().
    std::size_t looked_at() const { return std::min(end_, kMaxLookedAt); }

    /// Adds a line cut to looked_at() columns, `size` long before the cut, with text past the cut or not.
    void add(std::string_view line, std::uint64_t size, bool text_past) {
        ++lines_;
        lengths_.add(size);
        if (size < end_ && ++short_ == 1) first_short_ = lines_;
        // The reader may hand out a few bytes past the prefix (room for a byte order mark).
        const bool past =
            text_past || (line.size() > end_ && line.find_first_not_of(' ', end_) != std::string_view::npos);
        if (size > end_ && end_ == looked_at() && past && ++past_ == 1) first_past_ = lines_;
        if (size > looked_at() && end_ > looked_at()) cut_ = true;
        // Columns and fields leave their lists once text is seen there, and only the columns this line
        // reaches are looked at, so the check costs little per line.
        const auto reached = std::lower_bound(unseen_columns_.begin(), unseen_columns_.end(), line.size());
        const auto kept = std::remove_if(unseen_columns_.begin(), reached, [&](std::size_t c) {
            if (line[c] == ' ') return false;
            first_text_[c] = lines_;
            return true;
        });
        unseen_columns_.erase(kept, reached);
        std::erase_if(unseen_fields_, [&](const Range& r) { return has_text(line, r.first, r.last); });
    }

    /// Reads the typed fields of the line just added, as the line was read, and counts the values their
    /// types cannot read.
    void read_values(std::string_view line) {
        if (typed_.empty()) return;
        LineColumns columns(line, value_encoding_);
        char value[kMostValueBytes];
        for (const Typed& t : typed_)
            if (!convert_value(table_.field(static_cast<int>(t.field) + 1).type,
                               field_slice(columns, t.slice), value))
                bad_.add(t.field, lines_);
    }

    LayoutCheck result() const {
        LayoutCheck out;
        out.report = "Lines: " + std::to_string(lines_) + "\n";
        if (!lengths_.empty()) out.report += lengths_.text() + "\n";
        auto problem = [&](const std::string& text) {
            out.report += text + "\n";
            out.problems = true;
        };
        for (int row : unusable_)
            problem(field_label(table_, row) + " has no usable start position and length");
        // A few short or overlong lines are damaged records, not a layout that misfits: told, not failed.
        const bool odd_only = short_ + past_ <= lines_ / kOddLinesPer;
        auto odd = [&](const std::string& text) {
            if (odd_only)
                out.report += text + "\n";
            else
                problem(text);
        };
        if (short_ > 0)
            odd("Lines shorter than the end of the last field (column " + std::to_string(end_) +
                "): " + std::to_string(short_) + ", the first at line " + std::to_string(first_short_));
        if (past_ > 0)
            odd("Lines with text past the last field: " + std::to_string(past_) + ", the first at line " +
                std::to_string(first_past_));
        for (std::size_t i = 0; i < ranges_.size(); ++i)
            for (std::size_t j = i + 1; j < ranges_.size(); ++j) {
                const std::size_t lo = std::max(ranges_[i].first, ranges_[j].first);
                const std::size_t hi = std::min(ranges_[i].last, ranges_[j].last);
                if (lo <= hi)
                    problem(field_label(table_, ranges_[i].row) + " and " +
                            field_label(table_, ranges_[j].row) + " overlap in " + columns_text(lo, hi));
            }
        uncovered_text(problem);
        for (const Range& r : unseen_fields_)
            if (!cut_ ||
                r.first < looked_at())  // of a field wholly past the columns looked at, nothing is known
                problem(field_label(table_, r.row) + " is blank on every line");
        // Values a field's type cannot read, told in the words of the extract that would write them empty.
        if (bad_.total() > 0) {
            out.report += bad_.report(table_.names());
            out.problems = true;
        }
        if (cut_)
            out.report += "Columns past " + std::to_string(kMaxLookedAt) +
                          " were not looked at: what is told of the fields reaching past them covers their "
                          "first columns only.\n";
        if (!out.problems)
            out.report += short_ + past_ > 0 ? "The layout fits every other line.\n" : "No problem found.\n";
        return out;
    }

  private:
    static std::string columns_text(std::size_t lo, std::size_t hi) {
        return lo == hi ? "column " + std::to_string(lo + 1)
                        : "columns " + std::to_string(lo + 1) + " to " + std::to_string(hi + 1);
    }

    // Runs of uncovered columns whose text first shows on the same line are told together.
    template <class Tell>
    void uncovered_text(Tell tell) const {
        std::vector<std::size_t> seen;
        for (std::size_t c = 0; c < first_text_.size(); ++c)
            if (first_text_[c] != 0) seen.push_back(c);
        for (std::size_t i = 0; i < seen.size();) {
            std::size_t j = i;
            while (j + 1 < seen.size() && seen[j + 1] == seen[j] + 1 &&
                   first_text_[seen[j + 1]] == first_text_[seen[i]])
                ++j;
            tell("Text in " + columns_text(seen[i], seen[j]) + ", which no field covers, the first at line " +
                 std::to_string(first_text_[seen[i]]));
            i = j + 1;
        }
    }

    struct Typed {
        std::size_t field;
        FieldSlice slice;
    };

    const FieldTable& table_;
    std::vector<Typed> typed_;
    bool byte_columns_ = false;
    TextEncoding value_encoding_ = TextEncoding::cp1252;
    BadValueTally bad_;
    std::vector<Range> ranges_;
    std::vector<int> unusable_;
    std::size_t end_ = 0;
    std::vector<std::size_t> unseen_columns_;
    std::vector<std::uint64_t> first_text_;
    std::vector<Range> unseen_fields_;
    LineLengths lengths_;
    std::uint64_t lines_ = 0, short_ = 0, first_short_ = 0, past_ = 0, first_past_ = 0;
    bool cut_ = false;
};

}  // namespace

LayoutCheck check_layout(const std::string& path, TextEncoding encoding, const FieldTable& table,
                         const std::function<void(std::uint64_t)>& progress) {
    Checker checker(table, encoding);
    std::string narrowed;
    LineReader reader(path);
    reader.read_text_in(encoding);
    // Room for the columns looked at: in UTF-8 a character takes up to four bytes.
    reader.keep_line_prefix(encoding == TextEncoding::utf8 ? 4 * checker.looked_at() : checker.looked_at());
    reader.watch_text_past_prefix();
    std::string_view line;
    for (std::uint64_t n = 1; reader.next(line); ++n) {
        // The checker looks at columns: in UTF-8 a character is one. Past the kept prefix the bytes are
        // only counted, each standing for a column.
        const std::string_view columns = one_byte_a_column(line, encoding, narrowed);
        checker.add(columns, reader.line_size() - (line.size() - columns.size()), reader.text_past_prefix());
        checker.read_values(line);
        if (n % 65536 == 0 && progress) progress(reader.bytes_read());
    }
    return checker.result();
}

}  // namespace qvr
