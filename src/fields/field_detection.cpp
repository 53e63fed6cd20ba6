#include "fields/field_detection.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "common/line_reader.h"
#include "common/text_encoding.h"
#include "common/utf8_chars.h"
#include "fields/field_columns.h"
#include "fields/field_type.h"

namespace qvr {

namespace {

/// Text in fewer lines than this share of a column is taken for damaged lines, not for a field.
constexpr double kNoiseShare = 0.003;
/// Text past the fields in fewer lines than this share comes from overlong lines.
constexpr double kOddShare = 0.01;
/// In a small file, this many damaged lines still move nothing (one line in twenty at most).
constexpr std::uint64_t kOddLines = 2;
/// A column of letters drawn from this many or fewer is a flag, from more a code's letters.
constexpr unsigned kFlagLetters = 4;
/// The letters of codes drawn from the alphabet: this many or more in one column.
constexpr unsigned kCodeLetters = 10;
/// A field begins where this share of the texts in a column begin; words inside a name begin in fewer.
constexpr double kWordStartShare = 0.9;
/// A column whose texts are this share of one kind is of that kind.
constexpr double kKindShare = 0.95;
/// A file with more control bytes than this share is no text.
constexpr double kControlShare = 0.01;

enum class Kind { none, digit, letter, mixed };

struct Column {
    ColumnFigures f;
    bool gap = true;
    Kind kind = Kind::none;
    bool uniform = false;  ///< one character in nearly every line that has text here
    bool cut = false;      ///< a field starts here
    bool joined = false;   ///< inside a date or a number: no field starts here
};

bool share_at_least(std::uint64_t part, std::uint64_t whole, double share) {
    return whole > 0 && static_cast<double>(part) >= share * static_cast<double>(whole);
}

bool near(std::uint64_t a, std::uint64_t b) {
    const std::uint64_t hi = std::max(a, b);
    return hi - std::min(a, b) <= hi / 50;
}

class Layout {
  public:
    explicit Layout(const ColumnStatistics& stats) : lines_(stats.counted_lines()) {
        const std::uint64_t few = std::min(kOddLines, lines_ / 20);
        noise_ = std::max(few, static_cast<std::uint64_t>(kNoiseShare * static_cast<double>(lines_)));
        odd_ = std::max(noise_, static_cast<std::uint64_t>(kOddShare * static_cast<double>(lines_)));
        for (std::size_t c = 0; c < stats.width(); ++c) columns_.push_back(describe(stats.figures(c)));
        drop_overlong_text();
        join_leading_digits();
        mark_dates();
        mark_decimals();
        mark_cuts();
        drop_shifted_text();
        give_blanks_to_numbers();
    }

    std::size_t width() const { return columns_.size(); }
    const Column& at(std::size_t c) const { return columns_[c]; }

    /// The starts of the fields; each runs to the column before the next, the last to the last text.
    std::vector<std::size_t> starts() const {
        std::vector<std::size_t> out;
        for (std::size_t c = 0; c < columns_.size(); ++c)
            if (columns_[c].cut) out.push_back(c);
        return out;
    }

  private:
    Column describe(const ColumnFigures& f) const {
        Column col;
        col.f = f;
        col.gap = f.text <= noise_;
        if (col.gap) return col;
        // The signs of negative amounts go with the digits.
        col.kind = share_at_least(f.digits + f.signs, f.text, kKindShare) && f.digits > 0 ? Kind::digit
                   : share_at_least(f.letters, f.text, kKindShare)                        ? Kind::letter
                                                                                          : Kind::mixed;
        col.uniform = share_at_least(f.top_count, f.text, 0.99);
        // A separator column (a bar or semicolon in every line) stands between fields like a blank one.
        if (col.uniform && share_at_least(f.text, lines_, 0.9) && (f.top == '|' || f.top == ';'))
            col.gap = true;
        return col;
    }

    // Text in a few lines past the last column most lines fill is overlong lines' and makes no field when
    // a blank or the common end of the last field's values (a right-aligned number, a code) comes
    // before it; else it is the longest values of a text, kept in its field.
    void drop_overlong_text() {
        while (!columns_.empty() && columns_.back().gap) columns_.pop_back();
        std::size_t last = columns_.size();
        while (last > 0 && columns_[last - 1].f.text <= odd_) --last;
        if (last == 0 || last == columns_.size()) return;
        const ColumnFigures& end = columns_[last - 1].f;
        if (columns_[last].gap || share_at_least(end.ends, end.text, 0.9)) {
            columns_.resize(last);
            return;
        }
        for (std::size_t c = last; c < columns_.size(); ++c) {
            columns_[c].joined = true;
            columns_[c].gap = false;
        }
    }

    // The first digits of a right-aligned number may be rare enough to pass for damaged lines; they are
    // known by texts that begin there and go on into the number.
    void join_leading_digits() {
        for (std::size_t c = columns_.size(); c-- > 1;) {
            Column &col = columns_[c - 1], &next = columns_[c];
            const ColumnFigures& f = col.f;
            if (!col.gap || next.gap || f.text == 0 || next.kind != Kind::digit) continue;
            if (!share_at_least(f.starts, f.text, 0.9) || share_at_least(f.ends, f.text, 0.1) ||
                share_at_least(next.f.starts, next.f.text, 0.9))
                continue;
            col.gap = false;
            col.kind = Kind::digit;
        }
    }

    bool digit_at(std::size_t c, std::uint64_t fill, const char* allowed = "0123456789") const {
        if (c >= columns_.size()) return false;
        const Column& col = columns_[c];
        if (col.kind != Kind::digit || !near(col.f.text, fill)) return false;
        std::uint64_t in = 0;
        for (const char* d = allowed; *d; ++d) in += col.f.digit_counts[*d - '0'];
        return share_at_least(in, col.f.digits, 0.99);
    }

    std::size_t mark_at(std::size_t c, std::size_t length) {
        for (std::size_t i = c + 1; i < c + length; ++i) columns_[i].joined = true;
        columns_[c].cut = true;
        if (c + length < columns_.size()) columns_[c + length].cut = true;
        return length;
    }

    // Dates are digits whose first columns hold few values, which no blank or kind change sets apart from
    // a code just before them: they are found by their shape.
    std::size_t date_at(std::size_t c) {
        if (columns_[c].gap) return 0;
        const std::uint64_t fill = columns_[c].f.text;
        auto separator = [&](std::size_t i, unsigned char same) {
            if (i >= columns_.size()) return false;
            const Column& col = columns_[i];
            return col.uniform && near(col.f.text, fill) && std::strchr("/-.:", col.f.top) &&
                   col.f.top != 0 && (same == 0 || col.f.top == same);
        };
        auto digits = [&](std::size_t from, std::size_t n) {
            for (std::size_t i = from; i < from + n; ++i)
                if (!digit_at(i, fill)) return false;
            return true;
        };
        // dd/mm/yyyy, dd.mm.yy, hh:mm:ss, yyyy-mm-dd; the first digits of day, month and year hold few
        // values, which keeps a date from being found one code digit too early
        if (digits(c, 2) && separator(c + 2, 0) && digits(c + 3, 2) &&
            separator(c + 5, columns_[c + 2].f.top)) {
            if (digits(c + 6, 4) && digit_at(c, fill, "0123") && digit_at(c + 3, fill, "01") &&
                digit_at(c + 6, fill, "12"))
                return mark_at(c, 10);
            if (digits(c + 6, 2)) return mark_at(c, 8);
        }
        if (digit_at(c, fill, "12") && digits(c + 1, 3) && separator(c + 4, 0) &&
            digit_at(c + 5, fill, "01") && digits(c + 6, 1) && separator(c + 7, columns_[c + 4].f.top) &&
            digit_at(c + 8, fill, "0123") && digits(c + 9, 1))
            return mark_at(c, 10);
        // hh:mm, its hours and tens of minutes of few values
        if (digit_at(c, fill, "012") && digits(c + 1, 1) && separator(c + 2, ':') &&
            digit_at(c + 3, fill, "012345") && digits(c + 4, 1) && !separator(c + 5, ':'))
            return mark_at(c, 5);
        // hhmmss: hours from 0 to 2, tens of minutes and seconds from 0 to 5, each in most of its values
        // (which the leading zeros of a zero-padded number are not)
        auto spread = [&](std::size_t i, const char* allowed, unsigned values) {
            return digit_at(i, fill, allowed) && columns_[i].f.distinct >= values;
        };
        if (spread(c, "012", 3) && digits(c + 1, 1) && spread(c + 2, "012345", 6) && digits(c + 3, 1) &&
            spread(c + 4, "012345", 6) && digits(c + 5, 1))
            return mark_at(c, 6);
        // yyyymmdd and ddmmyyyy without separators: told by the values their columns can hold
        if (digit_at(c, fill, "12") && digit_at(c + 1, fill, "09") && digits(c + 2, 2) &&
            digit_at(c + 4, fill, "01") && digit_at(c + 5, fill) && digit_at(c + 6, fill, "0123") &&
            digit_at(c + 7, fill))
            return mark_at(c, 8);
        if (digit_at(c, fill, "0123") && digit_at(c + 1, fill) && digit_at(c + 2, fill, "01") &&
            digit_at(c + 3, fill) && digit_at(c + 4, fill, "12") && digit_at(c + 5, fill, "09") &&
            digits(c + 6, 2))
            return mark_at(c, 8);
        return 0;
    }

    void mark_dates() {
        for (std::size_t c = 0; c < columns_.size(); ++c)
            if (const std::size_t length = date_at(c)) c += length - 1;
    }

    // A decimal point with its fixed count of decimals ends a number: what follows is another field.
    void mark_decimals() {
        for (std::size_t c = 1; c + 1 < columns_.size(); ++c) {
            const Column& point = columns_[c];
            if (point.gap || point.joined || !point.uniform || (point.f.top != '.' && point.f.top != ','))
                continue;
            const std::uint64_t fill = point.f.text;
            if (!digit_at(c - 1, fill)) continue;
            std::size_t decimals = 0;
            while (decimals < 4 && digit_at(c + 1 + decimals, fill)) ++decimals;
            if (decimals == 0 || decimals > 3) continue;
            std::size_t after = c + decimals + 1;
            // a point or comma that groups thousands has the decimal one after it
            if (after < columns_.size() && columns_[after].uniform &&
                (columns_[after].f.top == '.' || columns_[after].f.top == ','))
                continue;
            // a minus behind the number ("1234.56-") is its own
            if (after < columns_.size() && !columns_[after].gap &&
                share_at_least(columns_[after].f.signs, columns_[after].f.text, 0.9))
                ++after;
            for (std::size_t i = c; i < after; ++i) columns_[i].joined = true;
            // a damaged line's character in the column after the number is no field's first
            if (after + 1 < columns_.size() && columns_[after].f.text <= odd_ && !columns_[after + 1].gap &&
                !columns_[after].joined)
                columns_[after].gap = true;
            else if (after < columns_.size() && !columns_[after].joined)
                columns_[after].cut = true;
        }
    }

    bool flag(const Column& col) const {
        return col.kind == Kind::letter && col.f.distinct_letters > 1 &&
               col.f.distinct_letters <= kFlagLetters && share_at_least(col.f.text, lines_, 0.5) &&
               !share_at_least(col.f.top_count, col.f.text, 0.95);
    }

    // Letters that go on into digits in nearly every line, with no text beginning at the digits, are
    // one code ("C0000123", "AB1234"): a fixed letter or letters from a wide set. Letters from a few
    // are a flag before a number.
    bool code_goes_on(std::size_t c) const {
        const Column &left = columns_[c - 1], &right = columns_[c];
        if (!near(left.f.text, right.f.text) || share_at_least(right.f.starts, right.f.text, 0.1))
            return false;
        return !flag(left);
    }

    bool kind_changes(std::size_t c) const {
        const Column &left = columns_[c - 1], &right = columns_[c];
        // Digits then letters after a blank in most lines are words of one text ("12 rue de la Paix").
        if (left.kind == Kind::digit && right.kind == Kind::letter)
            return !share_at_least(right.f.starts, right.f.text, 0.5);
        if (left.kind == Kind::letter && right.kind == Kind::digit) return !code_goes_on(c);
        // the minus signs of the longest amounts, touching the field before (not a code's "REF-")
        if (left.kind == Kind::letter && left.f.distinct_letters > 1 &&
            share_at_least(right.f.signs, right.f.text, 0.9))
            return true;
        // A one-column flag before the letters of a code: a fixed letter or letters from a wide set.
        if (left.cut && flag(left) && right.kind == Kind::letter)
            return right.uniform || right.f.distinct_letters >= kCodeLetters;
        return false;
    }

    // A left-aligned field begins where texts begin in most lines that have one, and no column to its
    // right is fuller (inside a right-aligned number the columns fill up towards its end).
    // Texts that begin just before too are words inside one field ("12 rue de la Paix").
    bool texts_begin(std::size_t c) const {
        const ColumnFigures& f = columns_[c].f;
        if (!share_at_least(f.starts, f.text, kWordStartShare) || !share_at_least(f.text, lines_, 0.02))
            return false;
        // (a few damaged lines' texts there do not count)
        if (share_at_least(columns_[c - 1].f.starts, f.text, 0.05)) return false;
        for (std::size_t i = c + 1; i < std::min(c + 3, columns_.size()); ++i)
            if (!columns_[i].gap && !share_at_least(f.text, columns_[i].f.text, 0.95)) return false;
        return true;
    }

    // Where a right-aligned number touches a left-aligned text, the column they share holds the text's
    // last letters, which go on from the left, and the number's first digits, which begin there.
    bool number_begins(std::size_t c) const {
        if (c + 1 >= columns_.size() || columns_[c + 1].kind != Kind::digit ||
            columns_[c].kind != Kind::mixed)
            return false;
        const ColumnFigures& f = columns_[c].f;
        // the rest are letters, not the grouping commas of a longer number
        return f.digit_starts > 0 && share_at_least(f.digit_starts, f.starts, 0.9) && f.letters > 0 &&
               share_at_least(f.letters + f.digits + f.signs, f.text, 0.95) &&
               share_at_least(f.digits + f.signs, f.digit_starts, 0.9) &&
               !share_at_least(columns_[c + 1].f.starts, columns_[c + 1].f.text, 0.9);
    }

    void mark_cuts() {
        for (std::size_t c = 0; c < columns_.size(); ++c) {
            Column& col = columns_[c];
            if (col.gap) {
                col.cut = false;
                continue;
            }
            if (c == 0 || columns_[c - 1].gap)
                col.cut = true;
            else if (!col.cut && !col.joined)
                col.cut = kind_changes(c) || texts_begin(c) || number_begins(c);
        }
    }

    // A field with text in a few lines only, of one or two columns or whose texts do not begin in its
    // first, is the text of damaged lines moved by a character lost or one too many: those columns are
    // blank between two fields. (A field filled in a few lines has its texts begin in its first column.)
    void drop_shifted_text() {
        const std::vector<std::size_t> cuts = starts();
        for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
            const ColumnFigures& first = columns_[cuts[i]].f;
            if (cuts[i + 1] - cuts[i] > 2 && share_at_least(first.starts, first.text, 0.5)) continue;
            bool rare = true;
            for (std::size_t c = cuts[i]; c < cuts[i + 1]; ++c) rare = rare && columns_[c].f.text <= odd_;
            if (!rare) continue;
            for (std::size_t c = cuts[i]; c < cuts[i + 1]; ++c) {
                columns_[c].gap = true;
                columns_[c].cut = false;
            }
        }
    }

    // The blanks in front of a right-aligned number belong to it: it begins after the last text of the
    // field on its left.
    void give_blanks_to_numbers() {
        for (std::size_t c = 1; c < columns_.size(); ++c) {
            if (!columns_[c].cut || !columns_[c - 1].gap) continue;
            std::size_t end = c + 1;
            while (end < columns_.size() && !columns_[end].cut && !columns_[end].gap) ++end;
            // the digits end together, some with a minus behind
            std::size_t tail = end - 1;
            std::uint64_t ends = columns_[tail].f.ends;
            if (tail > c && share_at_least(columns_[tail].f.signs, columns_[tail].f.text, 0.9))
                ends += columns_[--tail].f.ends;
            const ColumnFigures &first = columns_[c].f, &last = columns_[tail].f;
            // (or the next field touches them)
            const bool touching = end < columns_.size() && columns_[end].cut;
            if (columns_[tail].kind != Kind::digit || !(touching || share_at_least(ends, last.text, 0.9)) ||
                (share_at_least(first.starts, first.text, 0.9) &&
                 (near(first.text, last.text) || first.text > last.text)))
                continue;
            std::size_t blank = c;
            while (blank > 0 && columns_[blank - 1].gap) --blank;
            if (blank == 0) continue;
            columns_[c].cut = false;
            columns_[blank].cut = true;
        }
    }

    std::uint64_t lines_;
    std::uint64_t noise_ = 0, odd_ = 0;
    std::vector<Column> columns_;
};

struct Words {
    std::size_t first, last;  // columns of the first and the last character
    std::string text;
};

// The heading's words, those apart by one blank kept together ("Post code") unless a field of the data
// begins after that blank.
std::vector<Words> heading_words(std::string_view line, const Layout& layout) {
    auto begins_field = [&](std::size_t c) {
        return c < layout.width() && (layout.at(c).cut || layout.at(c).gap);
    };
    auto joins = [&](std::size_t blank) {
        return blank + 1 < line.size() && line[blank + 1] != ' ' && !begins_field(blank) &&
               !begins_field(blank + 1);
    };
    std::vector<Words> out;
    for (std::size_t c = 0; c < line.size();) {
        if (line[c] == ' ') {
            ++c;
            continue;
        }
        std::size_t end = c;
        while (end < line.size() && (line[end] != ' ' || joins(end))) ++end;
        out.push_back({c, end - 1, std::string(line.substr(c, end - c))});
        c = end;
    }
    return out;
}

bool is_word(std::string_view text) {
    std::size_t letters = 0, digits = 0;
    for (unsigned char ch : text) {
        if (ch < 32) return false;
        letters += (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || ch >= 128;
        digits += ch >= '0' && ch <= '9';
    }
    return letters > 0 && digits * 2 < letters;
}

// The first line is a heading when it is made of words and they stand where the data has none, or
// letters stand over a column of digits.
bool reads_as_heading(std::string_view line, const Layout& layout) {
    const std::vector<Words> words = heading_words(line, layout);
    if (words.empty()) return false;
    for (const Words& w : words)
        if (!is_word(w.text)) return false;
    for (std::size_t c = 0; c < line.size(); ++c) {
        if (line[c] == ' ') continue;
        if (c >= layout.width() || layout.at(c).gap) return true;
        const unsigned char ch = static_cast<unsigned char>(line[c]);
        if (layout.at(c).kind == Kind::digit && !(ch >= '0' && ch <= '9')) return true;
    }
    return false;
}

FieldTable make_table(const Layout& layout, std::string_view heading, const ColumnStatistics& stats) {
    const std::vector<std::size_t> starts = layout.starts();
    const std::vector<Words> words = heading_words(heading, layout);
    std::vector<std::string> names(starts.size());
    for (const Words& w : words) {
        // The field the word overlaps most: a right-aligned heading may begin over the field before.
        std::size_t best = 0, best_overlap = 0;
        for (std::size_t i = 0; i < starts.size(); ++i) {
            const std::size_t end =
                i + 1 < starts.size() ? starts[i + 1] - 1 : std::max(layout.width(), w.last + 1) - 1;
            const std::size_t lo = std::max(starts[i], w.first), hi = std::min(end, w.last);
            if (lo <= hi && hi - lo + 1 > best_overlap) {
                best = i;
                best_overlap = hi - lo + 1;
            }
        }
        if (best_overlap == 0) continue;
        const std::string text = stats.utf8_columns()
                                     ? std::string(LineColumns(stats.first_line_text(), TextEncoding::utf8)
                                                       .slice(w.first, w.last - w.first + 1))
                                     : w.text;
        names[best] += (names[best].empty() ? "" : " ") + text;
    }
    std::vector<FieldTable::Row> rows;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const std::size_t start = starts[i] + 1;
        const std::size_t end = i + 1 < starts.size() ? starts[i + 1] : layout.width();
        rows.push_back({names[i].empty() ? "FIELD" + std::to_string(i + 1) : names[i], std::to_string(start),
                        std::to_string(end - start + 1), std::to_string(end)});
    }
    FieldTable table;
    table.assign_rows(std::move(rows));
    return table;
}

}  // namespace

FieldDetection infer_fields(ColumnStatistics& stats) {
    stats.finish();
    FieldDetection out;
    out.lines = stats.all_lines();
    out.wider = stats.cut_lines();
    out.table.assign_rows({});
    const std::string& first = stats.first_line();
    {
        const Layout without_first(stats);
        if (stats.counted_lines() > 0 && without_first.width() > 0 &&
            reads_as_heading(first, without_first)) {
            out.heading = true;
            out.table = make_table(without_first, first, stats);
        }
    }
    if (!out.heading) {
        if (stats.all_lines() > 0) stats.count_first_line();
        out.table = make_table(Layout(stats), {}, stats);
    }
    if (share_at_least(stats.control_bytes(), std::max<std::uint64_t>(stats.bytes(), 1), kControlShare) &&
        stats.control_bytes() > 0) {
        out.binary = true;
        out.table.assign_rows({});
    }
    return out;
}

namespace {

constexpr std::size_t kSampleLines = 1000;
constexpr std::size_t kFewestValues = 3;

/// True when `type` reads every value of `values` to a value.
bool reads_all(const FieldType& type, const std::vector<std::string_view>& values) {
    std::string out;
    for (std::string_view v : values)
        if (!convert_value(type, v, out) || out.empty()) return false;
    return true;
}

/// The type that reads every value of a field, when one does: a date of a usual pattern, a whole number
/// without leading zeros (a code keeps its zeros as text), a number written with a decimal point.
FieldType proposed_type(const std::vector<std::string_view>& values) {
    if (values.size() < kFewestValues) return {};
    for (const char* pattern : {"date(YYYYMMDD)", "date(YYYY-MM-DD)", "date(DD/MM/YYYY)", "date(DD.MM.YYYY)",
                                "date(DD-MM-YYYY)", "date(MM/DD/YYYY)", "date(DD/MM/YY)"}) {
        const FieldType date = parse_field_type(pattern);
        if (reads_all(date, values)) return date;
    }
    const auto plain_whole = [](std::string_view v) {
        if (!v.empty() && (v.front() == '-' || v.front() == '+')) v.remove_prefix(1);
        return !v.empty() && v.size() <= 18 && (v.front() != '0' || v.size() == 1) &&
               v.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (std::all_of(values.begin(), values.end(), plain_whole)) return parse_field_type("int");
    const FieldType number = parse_field_type("num");
    const auto has_point = [](std::string_view v) { return v.find('.') != std::string_view::npos; };
    if (std::all_of(values.begin(), values.end(), has_point) && reads_all(number, values)) return number;
    return {};
}

/// Proposes a type for each field found, from the values of the sampled lines (a heading left out).
void propose_types(FieldDetection& found, const std::vector<std::string>& sample, TextEncoding encoding) {
    found.types.clear();
    const std::vector<FieldSlice> slices = found.table.slices();
    for (std::size_t i = 0; i < slices.size(); ++i) {
        std::vector<std::string_view> values;
        for (std::size_t k = found.heading ? 1 : 0; k < sample.size(); ++k) {
            std::string_view v = field_slice(sample[k], slices[i], encoding);
            while (!v.empty() && static_cast<unsigned char>(v.front()) <= 32) v.remove_prefix(1);
            while (!v.empty() && static_cast<unsigned char>(v.back()) <= 32) v.remove_suffix(1);
            if (!v.empty()) values.push_back(v);
        }
        found.types.push_back(proposed_type(values));
    }
}

}  // namespace

FieldDetection detect_fields(const std::string& path, TextEncoding encoding, std::uint64_t max_lines,
                             const std::function<void(std::uint64_t)>& progress) {
    LineReader reader(path);
    reader.read_text_in(encoding);
    // One byte more than the columns looked at tells a line that is longer.
    reader.keep_line_prefix(ColumnStatistics::kMaxColumns + 1);
    ColumnStatistics stats(encoding == TextEncoding::utf8);
    std::string_view line;
    std::uint64_t n = 0;
    std::vector<std::string> sample;
    while ((max_lines == 0 || n < max_lines) && reader.next(line)) {
        stats.add_line(line);
        if (sample.size() < kSampleLines) sample.emplace_back(line);
        if (++n % 65536 == 0 && progress) progress(reader.bytes_read());
    }
    FieldDetection found = infer_fields(stats);
    propose_types(found, sample, encoding);
    return found;
}

std::string wider_than_looked_at_text(const FieldDetection& found) {
    if (!found.wider) return "";
    const std::string columns = std::to_string(ColumnStatistics::kMaxColumns);
    return "Lines are longer than " + columns + " columns: fields were looked for in the first " + columns +
           " columns only.";
}

}  // namespace qvr
