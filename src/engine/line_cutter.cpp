#include "engine/line_cutter.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "common/byte_order.h"
#include "common/utf8_chars.h"

namespace qvr {

namespace {

// The top bit of each byte of `word` that is above 32, the bytes that trimming keeps. The low seven bits
// are added to separately, so no byte carries into its neighbour.
inline std::uint64_t kept_bytes(std::uint64_t word) {
    constexpr std::uint64_t kTop = 0x8080808080808080ull;
    constexpr std::uint64_t kLow = 0x7F7F7F7F7F7F7F7Full;
    constexpr std::uint64_t kAdd = 0x5F5F5F5F5F5F5F5Full;
    return (word | ((word & kLow) + kAdd)) & kTop;
}

// Bytes are found in words by their bit position, first byte lowest.
static_assert(std::endian::native == std::endian::little);

inline std::uint64_t load8(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Copies a field of a few bytes with at most two overlapping moves, the usual size of a field.
inline void copy_field(char* out, const char* in, std::size_t n) {
    if (n >= 16) {
        std::memcpy(out, in, n);
    } else if (n >= 8) {
        std::uint64_t a = load8(in);
        std::uint64_t b = load8(in + n - 8);
        std::memcpy(out + n - 8, &b, 8);
        std::memcpy(out, &a, 8);
    } else if (n >= 4) {
        std::uint32_t a;
        std::uint32_t b;
        std::memcpy(&a, in, 4);
        std::memcpy(&b, in + n - 4, 4);
        std::memcpy(out + n - 4, &b, 4);
        std::memcpy(out, &a, 4);
    } else {
        for (std::size_t i = 0; i < n; ++i) out[i] = in[i];
    }
}

// Padding comes in runs: eight bytes at a time, and the first kept byte of a word found by its bit.
inline std::string_view trim_field(std::string_view text) {
    const char* b = text.data();
    const char* e = b + text.size();
    while (e - b >= 8) {
        const std::uint64_t kept = kept_bytes(load8(b));
        if (kept != 0) {
            b += __builtin_ctzll(kept) / 8;
            break;
        }
        b += 8;
    }
    while (b < e && static_cast<unsigned char>(*b) <= 32) ++b;
    while (e - b >= 8) {
        const std::uint64_t kept = kept_bytes(load8(e - 8));
        if (kept != 0) {
            e -= __builtin_clzll(kept) / 8;
            return std::string_view(b, static_cast<std::size_t>(e - b));
        }
        e -= 8;
    }
    while (e > b && static_cast<unsigned char>(e[-1]) <= 32) --e;
    return std::string_view(b, static_cast<std::size_t>(e - b));
}

}  // namespace

std::string_view trim_blanks(std::string_view text) { return trim_field(text); }

LineCutter::LineCutter(std::vector<FieldSlice> slices, std::string separator, bool trim,
                       TextEncoding encoding, bool quote, std::vector<FieldType> types)
    : slices_(std::move(slices)),
      separator_(std::move(separator)),
      trim_(trim),
      utf8_(encoding == TextEncoding::utf8),
      quote_(quote) {
    std::size_t typed_fields = 0;
    for (const FieldType& t : types) {
        if (!t.is_text()) ++typed_fields;
        byte_columns_ = byte_columns_ || t.reads_bytes();
    }
    typed_ = typed_fields > 0;
    // A value may be longer than its field ("1" of dec(5) is "0.00001"), and quoted.
    joins_and_values_ = typed_fields * (2 * kMostValueBytes + 2);
    if (!slices_.empty()) joins_and_values_ += separator_.size() * (slices_.size() - 1);
    if (typed_) {
        types_ = std::move(types);
        types_.resize(slices_.size());
    }
    bytes_only_ = !utf8_ && !quote_ && !typed_;
    for (const FieldSlice& s : slices_)
        if (s.length > 0) most_field_bytes_ += static_cast<std::size_t>(s.length);
    // A character takes up to four bytes; a quoted field doubles its quotes and gains two.
    most_field_bytes_ *= most_bytes_per_column(encoding);
    if (quote_) most_field_bytes_ = 2 * most_field_bytes_ + 2 * slices_.size();
}

std::size_t LineCutter::max_cut_size(std::size_t line_size) const {
    const std::size_t count = slices_.size();
    if (count == 0) return 0;
    if (quote_) line_size = 2 * line_size + 2;
    // No field is longer than its own length, nor than the line.
    const std::size_t fields = line_size > most_field_bytes_ / count
                                   ? most_field_bytes_
                                   : std::min(most_field_bytes_, line_size * count);
    return fields + joins_and_values_;
}

template <bool Quote>
inline char* LineCutter::put_field(std::string_view field, char* out) const {
    if (trim_) field = trim_field(field);
    if (Quote && (field.find_first_of("\"\r\n") != std::string_view::npos ||
                  (!separator_.empty() && field.find(separator_) != std::string_view::npos))) {
        *out++ = '"';
        for (char c : field) {
            if (c == '"') *out++ = '"';
            *out++ = c;
        }
        *out++ = '"';
        return out;
    }
    copy_field(out, field.data(), field.size());
    return out + field.size();
}

template <bool Quote, class Slicer>
inline char* LineCutter::cut_fields(std::string_view line, char* out, Slicer slicer) const {
    const std::size_t count = slices_.size();
    const bool one_byte_separator = separator_.size() == 1;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) {
            if (one_byte_separator) {
                *out++ = separator_[0];
            } else {
                copy_field(out, separator_.data(), separator_.size());
                out += separator_.size();
            }
        }
        out = put_field<Quote>(slicer(line, slices_[i]), out);
    }
    return out;
}

namespace {

/// A field's bytes where a column is a byte.
inline std::string_view byte_slice(std::string_view line, FieldSlice slice) {
    return field_slice(line, slice, TextEncoding::cp1252);
}

}  // namespace

char* LineCutter::cut_chars_to(std::string_view line, char* out) const {
    LineColumns columns(line, TextEncoding::utf8);
    const auto slicer = [&columns](std::string_view, FieldSlice slice) {
        return field_slice(columns, slice);
    };
    return quote_ ? cut_fields<true>(line, out, slicer) : cut_fields<false>(line, out, slicer);
}

template <bool Quote>
char* LineCutter::cut_typed_to(std::string_view line, char* out, BadValueTally* bad,
                               std::uint64_t line_number, std::string_view raw) const {
    // Bytes of packed and binary fields are no characters: such a line is cut by bytes, unless they are
    // read from the bytes a decoded line came from.
    if (!byte_columns_) raw = {};
    if (utf8_ && (!byte_columns_ || !raw.empty()) && has_high_byte(line)) {
        LineColumns columns(line, TextEncoding::utf8);
        return typed_fields<Quote>(
            line, out, bad, line_number,
            [&columns](std::string_view, FieldSlice slice) { return field_slice(columns, slice); }, raw);
    }
    return typed_fields<Quote>(line, out, bad, line_number, byte_slice, raw);
}

template <bool Quote, class Slicer>
char* LineCutter::typed_fields(std::string_view line, char* out, BadValueTally* bad,
                               std::uint64_t line_number, Slicer slicer, std::string_view raw) const {
    char value[kMostValueBytes];
    const bool one_byte_separator = separator_.size() == 1;
    for (std::size_t i = 0; i < slices_.size(); ++i) {
        if (i > 0) {
            if (one_byte_separator) {
                *out++ = separator_[0];
            } else {
                copy_field(out, separator_.data(), separator_.size());
                out += separator_.size();
            }
        }
        const FieldType& type = types_[i];
        const std::string_view field =
            !raw.empty() && type.reads_bytes() ? byte_slice(raw, slices_[i]) : slicer(line, slices_[i]);
        if (type.is_text()) {
            out = put_field<Quote>(field, out);
            continue;
        }
        // A value has no blanks to trim: unquoted, it is written in place (the room holds it).
        char* at = Quote ? value : out;
        char* end = convert_value(type, field, at);
        if (!end) {
            if (bad) bad->add(i, line_number);
            continue;
        }
        out = Quote ? put_field<Quote>(std::string_view(value, static_cast<std::size_t>(end - value)), out)
                    : end;
    }
    return out;
}

char* LineCutter::cut_quoted_or_chars_to(std::string_view line, char* out) const {
    // A line of ASCII only has a byte per column in either encoding.
    if (utf8_ && has_high_byte(line)) return cut_chars_to(line, out);
    return quote_ ? cut_fields<true>(line, out, byte_slice) : cut_fields<false>(line, out, byte_slice);
}

char* LineCutter::cut_to(std::string_view line, char* out) const {
    // Bytes without quoting, the common case, take an instance of the loop that tests nothing else per field.
    if (!bytes_only_) {
        if (typed_) return cut_to(line, out, nullptr, 0);
        return cut_quoted_or_chars_to(line, out);
    }
    return cut_fields<false>(line, out, byte_slice);
}

char* LineCutter::cut_to(std::string_view line, char* out, BadValueTally* bad, std::uint64_t line_number,
                         std::string_view raw) const {
    if (!typed_) return cut_to(line, out);
    return quote_ ? cut_typed_to<true>(line, out, bad, line_number, raw)
                  : cut_typed_to<false>(line, out, bad, line_number, raw);
}

void LineCutter::cut(std::string_view line, std::string& out, BadValueTally* bad,
                     std::uint64_t line_number) const {
    out.resize(max_cut_size(line.size()));
    char* end = cut_to(line, out.data(), bad, line_number);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

std::string quoted_field(std::string_view field, std::string_view separator) {
    const LineCutter quoter({{1, static_cast<std::int32_t>(std::min<std::size_t>(field.size(), INT32_MAX))}},
                            std::string(separator), false, TextEncoding::cp1252, true);
    std::string out;
    quoter.cut(field, out);
    return out;
}

bool LineFilter::passes(std::string_view cut_line) const {
    if (!contains.empty() && cut_line.find(contains) == std::string_view::npos) return false;
    if (compare_bytes(cut_line, lower) < 0) return false;
    if (!upper.empty() && compare_bytes(cut_line, upper) > 0) return false;
    return true;
}

char* LineCutter::put_front(std::string_view field, char* out) const {
    out = quote_ ? put_field<true>(field, out) : put_field<false>(field, out);
    copy_field(out, separator_.data(), separator_.size());
    return out + separator_.size();
}

}  // namespace qvr
