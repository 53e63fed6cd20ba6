#include "fields/field_type.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstring>

namespace qvr {

namespace {

constexpr const char* kSpellings =
    "text, int, dec(N), num, num(,), zoned(N), packed(N), binary(N) or date(PATTERN)";

struct Keyword {
    std::string_view word;
    FieldType::Kind kind;
};
constexpr Keyword kKeywords[] = {{"text", FieldType::Kind::text},     {"int", FieldType::Kind::integer},
                                 {"dec", FieldType::Kind::implied},   {"num", FieldType::Kind::number},
                                 {"zoned", FieldType::Kind::zoned},   {"packed", FieldType::Kind::packed},
                                 {"binary", FieldType::Kind::binary}, {"date", FieldType::Kind::date}};

bool is_blank(char c) { return static_cast<unsigned char>(c) <= 32; }
bool is_digit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

std::uint64_t load8(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

constexpr std::uint64_t kZeros = 0x3030303030303030ull;

/// True when each of the eight bytes of `word` is a digit: its high half is 3, and adding 6 keeps it so.
bool eight_digits(std::uint64_t word) {
    constexpr std::uint64_t kHigh = 0xF0F0F0F0F0F0F0F0ull;
    constexpr std::uint64_t kSix = 0x0606060606060606ull;
    return (word & kHigh) == kZeros && ((word + kSix) & kHigh) == kZeros;
}

/// True when the `n` bytes at `p` are all digits; values are short, so words of eight, the last one
/// overlapping.
[[gnu::always_inline]] inline bool all_digits(const char* p, std::size_t n) {
    if (n < 8) {
        if (n < 4) {
            for (std::size_t i = 0; i < n; ++i)
                if (!is_digit(p[i])) return false;
            return true;
        }
        std::uint32_t a;
        std::uint32_t b;
        std::memcpy(&a, p, 4);
        std::memcpy(&b, p + n - 4, 4);
        return eight_digits(a | static_cast<std::uint64_t>(b) << 32);
    }
    for (std::size_t i = 0; i + 8 < n; i += 8)
        if (!eight_digits(load8(p + i))) return false;
    return eight_digits(load8(p + n - 8));
}

/// How many of the `n` digits at `p` are leading zeros.
[[gnu::always_inline]] inline std::size_t leading_zeros(const char* p, std::size_t n) {
    std::size_t z = 0;
    for (; z + 8 <= n; z += 8) {
        const std::uint64_t other = load8(p + z) ^ kZeros;
        if (other != 0) return z + static_cast<std::size_t>(__builtin_ctzll(other)) / 8;
    }
    if (z + 4 <= n) {
        std::uint32_t word;
        std::memcpy(&word, p + z, 4);
        const std::uint32_t other = word ^ 0x30303030u;
        if (other != 0) return z + static_cast<std::size_t>(__builtin_ctz(other)) / 8;
        z += 4;
    }
    while (z < n && p[z] == '0') ++z;
    return z;
}

/// Copies a few bytes with at most two overlapping moves each way.
[[gnu::always_inline]] inline void copy_few(char* out, const char* from, std::size_t n) {
    if (n >= 8) {
        for (std::size_t i = 0; i + 8 < n; i += 8) std::memcpy(out + i, from + i, 8);
        std::memcpy(out + n - 8, from + n - 8, 8);
    } else if (n >= 4) {
        std::memcpy(out, from, 4);
        std::memcpy(out + n - 4, from + n - 4, 4);
    } else if (n >= 2) {
        std::memcpy(out, from, 2);
        std::memcpy(out + n - 2, from + n - 2, 2);
    } else if (n == 1) {
        *out = *from;
    }
}

static_assert(std::endian::native == std::endian::little, "bytes are found in words by their low bits first");

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

/// What a date pattern holds: where its year, month and day digits are.
struct DateLayout {
    int year_at = -1;
    int year_digits = 0;
    int month_at = -1;
    int day_at = -1;
};

/// The layout of a date pattern, or the reason it is none.
DateLayout date_layout(std::string_view pattern, std::string* why) {
    DateLayout d;
    for (std::size_t i = 0; i < pattern.size();) {
        const char c = pattern[i];
        std::size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c) ++run;
        const int at = static_cast<int>(i);
        if (c == 'Y' || c == 'M' || c == 'D') {
            int& place = c == 'Y' ? d.year_at : c == 'M' ? d.month_at : d.day_at;
            const bool fits = c == 'Y' ? (run == 2 || run == 4) : run == 2;
            if (place >= 0 || !fits) {
                if (why) *why = "a date pattern holds YYYY or YY, MM and DD once each";
                return {};
            }
            place = at;
            if (c == 'Y') d.year_digits = static_cast<int>(run);
            i += run;
        } else if (c == '(' || c == ')' || static_cast<unsigned char>(c) < 32) {
            if (why) *why = "a date pattern holds YYYY or YY, MM, DD and separators";
            return {};
        } else {
            ++i;
        }
    }
    if (d.year_at < 0 || d.month_at < 0 || d.day_at < 0) {
        if (why) *why = "a date pattern holds YYYY or YY, MM and DD";
        return {};
    }
    return d;
}

/// Writes a number of `n` significant digits at `d` (no leading zero) with `decimals` of them after the
/// point; nullptr when it needs more than the most digits.
[[gnu::always_inline]] inline char* put_number(bool negative, const char* d, int n, int decimals, char* out) {
    if (n > kMostDigits || decimals > kMostDigits) return nullptr;
    const auto copy = [&out](const char* from, int count) {
        copy_few(out, from, static_cast<std::size_t>(count));
        out += count;
    };
    if (negative && n > 0) *out++ = '-';  // a zero has no sign
    if (n > decimals)
        copy(d, n - decimals);
    else
        *out++ = '0';
    if (decimals == 0) return out;
    *out++ = '.';
    if (n < decimals) {
        std::memset(out, '0', static_cast<std::size_t>(decimals - n));
        out += decimals - n;
    }
    copy(n > decimals ? d + (n - decimals) : d, n > decimals ? decimals : n);
    return out;
}

/// The significant digits of a number gathered one by one, leading zeros dropped; more than the type can
/// hold marks the number as too long.
class Digits {
  public:
    void push(char c) {
        if (n_ == 0 && c == '0') return;
        if (n_ == kMostDigits) {
            too_long_ = true;
            return;
        }
        d_[n_++] = c;
    }

    char* put(bool negative, int decimals, char* out) const {
        return too_long_ ? nullptr : put_number(negative, d_, n_, decimals, out);
    }

  private:
    char d_[kMostDigits];
    int n_ = 0;
    bool too_long_ = false;
};

/// A sign before ("+", "-") or a minus after the digits; removed from `s`.
bool take_sign(std::string_view& s, bool trailing_plus) {
    if (s.front() == '-' || s.front() == '+') {
        const bool negative = s.front() == '-';
        s.remove_prefix(1);
        return negative;
    }
    if (s.back() == '-' || (trailing_plus && s.back() == '+')) {
        const bool negative = s.back() == '-';
        s.remove_suffix(1);
        return negative;
    }
    return false;
}

char* convert_whole(std::string_view s, int decimals, char* out) {
    const bool negative = !is_digit(s.front()) || !is_digit(s.back()) ? take_sign(s, false) : false;
    if (s.empty() || !all_digits(s.data(), s.size())) return nullptr;
    const std::size_t zeros = leading_zeros(s.data(), s.size());
    const std::size_t n = s.size() - zeros;
    if (n > kMostDigits) return nullptr;
    return put_number(negative, s.data() + zeros, static_cast<int>(n), decimals, out);
}

/// convert_written() of the usual number: digits, and a point followed by digits or nothing.
/// Returns `out` unchanged when the number has another shape, for the full reading.
char* convert_plain_written(std::string_view s, bool negative, char point, char* out) {
    std::size_t whole = 0;
    while (whole < s.size() && is_digit(s[whole])) ++whole;
    if (whole < s.size() && s[whole] != point) return out;
    const char* fraction = s.data() + whole + 1;
    const std::size_t decimals = whole < s.size() ? s.size() - whole - 1 : 0;
    if ((whole == 0 && decimals == 0) || decimals > kMostDigits || !all_digits(fraction, decimals))
        return out;
    const std::size_t zeros = leading_zeros(s.data(), whole);
    const std::size_t significant =
        whole > zeros ? whole - zeros + decimals : decimals - leading_zeros(fraction, decimals);
    if (significant > kMostDigits) return nullptr;
    char* at = out;
    if (negative && significant > 0) *at++ = '-';  // a zero has no sign
    if (whole > zeros) {
        copy_few(at, s.data() + zeros, whole - zeros);
        at += whole - zeros;
    } else {
        *at++ = '0';
    }
    if (decimals == 0) return at;
    *at++ = '.';
    copy_few(at, fraction, decimals);
    return at + decimals;
}

char* convert_written(std::string_view s, bool decimal_comma, char* out) {
    const bool negative = take_sign(s, true);
    const char point = decimal_comma ? ',' : '.';
    if (s.empty()) return nullptr;
    if (char* end = convert_plain_written(s, negative, point, out); end != out) return end;
    Digits digits;
    std::size_t i = 0;
    int group = 0;         // digits since the start or the last separator
    bool grouped = false;  // a separator was seen: every group after it has three digits
    for (; i < s.size() && s[i] != point; ++i) {
        const char c = s[i];
        if (is_digit(c)) {
            digits.push(c);
            ++group;
        } else if (decimal_comma ? (c == '.' || c == ' ') : c == ',') {
            if (group == 0 || (grouped ? group != 3 : group > 3)) return nullptr;
            grouped = true;
            group = 0;
        } else {
            return nullptr;
        }
    }
    if (grouped && group != 3) return nullptr;
    const int whole = static_cast<int>(i);
    int decimals = 0;
    if (i < s.size()) {
        for (++i; i < s.size(); ++i) {
            if (!is_digit(s[i])) return nullptr;
            digits.push(s[i]);
            ++decimals;
        }
    }
    if (whole == 0 && decimals == 0) return nullptr;  // no digit at all: "", ".", "-"
    return digits.put(negative, decimals, out);
}

/// The digit an overpunched last character stands for, and its sign: 0 for a character that is none,
/// else the digit plus one, with 16 added when negative.
constexpr auto kOverpunch = [] {
    std::array<std::uint8_t, 256> t{};
    for (int d = 0; d < 10; ++d) t['0' + d] = static_cast<std::uint8_t>(d + 1);
    for (int d = 1; d < 10; ++d) {
        t['A' + d - 1] = static_cast<std::uint8_t>(d + 1);
        t['J' + d - 1] = static_cast<std::uint8_t>(d + 1 + 16);
    }
    t['{'] = 1;
    t['}'] = 1 + 16;
    return t;
}();

char* convert_zoned(std::string_view s, int decimals, char* out) {
    const std::uint8_t last = kOverpunch[static_cast<unsigned char>(s.back())];
    const std::size_t n = s.size();
    if (last == 0 || !all_digits(s.data(), n - 1)) return nullptr;
    const bool negative = last > 16;
    const char digit = static_cast<char>('0' + (last & 15) - 1);
    if (n > kMostDigits + 1) {  // held only when leading zeros make room
        Digits digits;
        for (std::size_t i = 0; i + 1 < n; ++i) digits.push(s[i]);
        digits.push(digit);
        return digits.put(negative, decimals, out);
    }
    // The digits read in place, the overpunched one counted as a digit and put right once written.
    const std::size_t zeros = leading_zeros(s.data(), n - 1);
    const std::size_t count = zeros == n - 1 && digit == '0' ? 0 : n - zeros;
    if (count > kMostDigits) return nullptr;
    char* end = put_number(negative, s.data() + zeros, static_cast<int>(count), decimals, out);
    if (count > 0) end[-1] = digit;
    return end;
}

/// True for a field of one byte repeated that stands for "no value" in record files: blanks in ASCII or
/// EBCDIC, or low values.
bool no_value_bytes(std::string_view raw) {
    const char first = raw.front();
    if (first != ' ' && first != '\x40' && first != '\0') return false;
    for (char c : raw)
        if (c != first) return false;
    return true;
}

char* convert_packed(std::string_view raw, int decimals, char* out) {
    if (no_value_bytes(raw)) return out;
    Digits digits;
    const std::size_t last = raw.size() - 1;
    for (std::size_t i = 0; i <= last; ++i) {
        const auto byte = static_cast<unsigned char>(raw[i]);
        const unsigned high = byte >> 4;
        const unsigned low = byte & 0xF;
        if (high > 9 || (i < last && low > 9)) return nullptr;
        digits.push(static_cast<char>('0' + high));
        if (i < last) digits.push(static_cast<char>('0' + low));
    }
    const unsigned sign = static_cast<unsigned char>(raw[last]) & 0xF;
    if (sign < 0xA) return nullptr;
    return digits.put(sign == 0xB || sign == 0xD, decimals, out);
}

__extension__ using Wide = unsigned __int128;

char* convert_binary(std::string_view raw, int decimals, char* out) {
    constexpr std::size_t kWidest = 16;
    const bool negative = (static_cast<unsigned char>(raw.front()) & 0x80) != 0;
    const unsigned char extension = negative ? 0xFF : 0x00;
    // Bytes beyond 128 bits may only repeat the sign; the number then fits in 128 bits.
    while (raw.size() > kWidest) {
        if (static_cast<unsigned char>(raw.front()) != extension) return nullptr;
        raw.remove_prefix(1);
    }
    if (((static_cast<unsigned char>(raw.front()) & 0x80) != 0) != negative) return nullptr;
    Wide value = negative ? ~static_cast<Wide>(0) : 0;
    for (char c : raw) value = (value << 8) | static_cast<unsigned char>(c);
    if (negative) value = ~value + 1;
    // Decimal digits in chunks of 19, each fitting in 64 bits.
    constexpr std::uint64_t kChunk = 10'000'000'000'000'000'000ull;
    std::uint64_t chunks[3];
    int count = 0;
    do {
        chunks[count++] = static_cast<std::uint64_t>(value % kChunk);
        value /= kChunk;
    } while (value != 0);
    Digits digits;
    for (int k = count - 1; k >= 0; --k) {
        char text[20];
        const auto end = std::to_chars(text, text + sizeof text, chunks[k]).ptr;
        const auto len = static_cast<int>(end - text);
        if (k != count - 1)
            for (int pad = len; pad < 19; ++pad) digits.push('0');
        for (const char* p = text; p < end; ++p) digits.push(*p);
    }
    return digits.put(negative, decimals, out);
}

int days_in_month(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month != 2) return kDays[month - 1];
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0) ? 29 : 28;
}

char* convert_date(std::string_view s, const FieldType& type, char* out) {
    const std::string& pattern = type.pattern;
    const std::size_t n = s.size();
    if (n != pattern.size()) return nullptr;
    // The pattern's own characters, a word at a time where it is short enough.
    if (n > 16 || n < 8) {
        for (std::size_t i = 0; i < n; ++i) {
            const char p = pattern[i];
            if (p != 'Y' && p != 'M' && p != 'D' && s[i] != p) return nullptr;
        }
    } else if (((load8(s.data()) ^ load8(pattern.data())) & type.literal_masks[0]) != 0 ||
               ((load8(s.data() + n - 8) ^ load8(pattern.data() + n - 8)) & type.literal_masks[1]) != 0) {
        return nullptr;
    }
    bool bad = false;
    const auto two = [&bad](const char* p) {
        const unsigned tens = static_cast<unsigned char>(p[0] - '0');
        const unsigned ones = static_cast<unsigned char>(p[1] - '0');
        bad = bad || tens > 9 || ones > 9;
        return static_cast<int>(tens * 10 + ones);
    };
    const char* year = s.data() + type.year_at;
    int y = type.long_year ? two(year) * 100 + two(year + 2) : two(year);
    const int m = two(s.data() + type.month_at);
    const int d = two(s.data() + type.day_at);
    if (bad) return nullptr;
    if (y == 0 && m == 0 && d == 0) return out;  // all zeros: no date
    if (!type.long_year) y += y >= 69 ? 1900 : 2000;
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > days_in_month(y, m)) return nullptr;
    const auto put2 = [&out](int v) {
        *out++ = static_cast<char>('0' + v / 10);
        *out++ = static_cast<char>('0' + v % 10);
    };
    put2(y / 100);
    put2(y % 100);
    *out++ = '-';
    put2(m);
    *out++ = '-';
    put2(d);
    return out;
}

}  // namespace

NotAFieldType::NotAFieldType(std::string_view spelling, const std::string& why)
    : UserError("'" + std::string(spelling) + "' is not a field type: " + why) {}

bool is_field_type_word(std::string_view word) {
    for (const Keyword& k : kKeywords)
        if (k.word == word) return true;
    return false;
}

FieldType parse_field_type(std::string_view spelling) {
    const std::string_view s = trimmed(spelling);
    const std::size_t open = s.find('(');
    const std::string_view word = s.substr(0, open);
    FieldType type;
    const Keyword* keyword = nullptr;
    for (const Keyword& k : kKeywords)
        if (k.word == word) keyword = &k;
    if (!keyword) throw NotAFieldType(s, std::string("the types are ") + kSpellings);
    type.kind = keyword->kind;
    const bool takes_decimals = type.kind == FieldType::Kind::implied ||
                                type.kind == FieldType::Kind::zoned || type.kind == FieldType::Kind::packed ||
                                type.kind == FieldType::Kind::binary;
    if (open == std::string_view::npos) {
        if (takes_decimals)
            throw NotAFieldType(s, std::string(word) + " needs its number of implied decimals, as " +
                                       std::string(word) + "(2)");
        if (type.kind == FieldType::Kind::date)
            throw NotAFieldType(s, "date needs its pattern, as date(YYYYMMDD)");
        return type;
    }
    if (s.back() != ')') throw NotAFieldType(s, "the choice in parentheses is not closed by ')'");
    const std::string_view inside = s.substr(open + 1, s.size() - open - 2);
    if (takes_decimals) {
        unsigned n = 0;
        const auto [end, ec] = std::from_chars(inside.data(), inside.data() + inside.size(), n);
        if (inside.empty() || ec != std::errc() || end != inside.data() + inside.size() || n > kMostDigits)
            throw NotAFieldType(s, "the implied decimals are a number from 0 to 38");
        type.decimals = static_cast<std::uint8_t>(n);
    } else if (type.kind == FieldType::Kind::number) {
        if (inside != ",") throw NotAFieldType(s, "num takes a decimal comma only, as num(,)");
        type.decimal_comma = true;
    } else if (type.kind == FieldType::Kind::date) {
        std::string why;
        const DateLayout d = date_layout(inside, &why);
        if (d.year_at < 0) throw NotAFieldType(s, why);
        if (inside.size() > UINT16_MAX) throw NotAFieldType(s, "a date pattern is at most 65535 characters");
        type.pattern = std::string(inside);
        type.year_at = static_cast<std::uint16_t>(d.year_at);
        type.month_at = static_cast<std::uint16_t>(d.month_at);
        type.day_at = static_cast<std::uint16_t>(d.day_at);
        type.long_year = d.year_digits == 4;
        if (inside.size() >= 8 && inside.size() <= 16)
            for (int w = 0; w < 2; ++w) {
                const std::size_t from = w == 0 ? 0 : inside.size() - 8;
                for (std::size_t k = 0; k < 8; ++k) {
                    const char ch = inside[from + k];
                    if (ch != 'Y' && ch != 'M' && ch != 'D')
                        type.literal_masks[w] |= std::uint64_t{0xFF} << (8 * k);
                }
            }
    } else {
        throw NotAFieldType(s, std::string(word) + " takes no choice in parentheses");
    }
    return type;
}

std::string field_type_spelling(const FieldType& type) {
    const std::string word(kKeywords[static_cast<int>(type.kind)].word);
    switch (type.kind) {
        case FieldType::Kind::text:
        case FieldType::Kind::integer:
            return word;
        case FieldType::Kind::number:
            return type.decimal_comma ? "num(,)" : "num";
        case FieldType::Kind::date:
            return "date(" + type.pattern + ")";
        default:
            return word + "(" + std::to_string(type.decimals) + ")";
    }
}

char* convert_value(const FieldType& type, std::string_view raw, char* out) {
    if (type.reads_bytes()) {
        if (raw.empty()) return out;
        return type.kind == FieldType::Kind::packed ? convert_packed(raw, type.decimals, out)
                                                    : convert_binary(raw, type.decimals, out);
    }
    const std::string_view s = trimmed(raw);
    if (s.empty()) return out;
    switch (type.kind) {
        case FieldType::Kind::integer:
            return convert_whole(s, 0, out);
        case FieldType::Kind::implied:
            return convert_whole(s, type.decimals, out);
        case FieldType::Kind::number:
            return convert_written(s, type.decimal_comma, out);
        case FieldType::Kind::zoned:
            return convert_zoned(s, type.decimals, out);
        case FieldType::Kind::date:
            return convert_date(s, type, out);
        default:
            return nullptr;
    }
}

bool convert_value(const FieldType& type, std::string_view raw, std::string& out) {
    out.resize(kMostValueBytes);
    char* end = convert_value(type, raw, out.data());
    out.resize(end ? static_cast<std::size_t>(end - out.data()) : 0);
    return end != nullptr;
}

NumberShape number_shape(std::string_view value) {
    NumberShape shape;
    if (!value.empty() && value.front() == '-') {
        shape.negative = true;
        value.remove_prefix(1);
    }
    const std::size_t point = value.find('.');
    shape.whole_digits = static_cast<int>(point == std::string_view::npos ? value.size() : point);
    shape.decimals = point == std::string_view::npos ? 0 : static_cast<int>(value.size() - point - 1);
    return shape;
}

std::string dbase_date(std::string_view value) {
    if (value.size() != 10) return {};
    return std::string(value.substr(0, 4)) + std::string(value.substr(5, 2)) +
           std::string(value.substr(8, 2));
}

void BadValueTally::add(std::size_t field, std::uint64_t line) {
    if (field >= fields_.size()) fields_.resize(field + 1);
    Field& f = fields_[field];
    ++f.count;
    if (f.first_lines.size() < kFirstLines) f.first_lines.push_back(line);
}

void BadValueTally::merge(const BadValueTally& other) { merge(other, 0); }

void BadValueTally::merge(const BadValueTally& other, std::uint64_t line_offset) {
    if (other.fields_.size() > fields_.size()) fields_.resize(other.fields_.size());
    for (std::size_t i = 0; i < other.fields_.size(); ++i) {
        Field& f = fields_[i];
        const Field& o = other.fields_[i];
        f.count += o.count;
        std::vector<std::uint64_t> lines = f.first_lines;
        for (std::uint64_t line : o.first_lines) lines.push_back(line + line_offset);
        std::sort(lines.begin(), lines.end());
        if (lines.size() > kFirstLines) lines.resize(kFirstLines);
        f.first_lines = std::move(lines);
    }
}

std::uint64_t BadValueTally::total() const {
    std::uint64_t n = 0;
    for (const Field& f : fields_) n += f.count;
    return n;
}

std::string BadValueTally::report(const std::vector<std::string>& names) const {
    std::string out;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const Field& f = fields_[i];
        if (f.count == 0) continue;
        // A name from a definition file is padded with blanks to its column.
        const std::string_view name = i < names.size() ? trimmed(names[i]) : std::string_view();
        out += (name.empty() ? "Field " + std::to_string(i + 1) : std::string(name)) + ": " +
               std::to_string(f.count) + (f.count == 1 ? " value" : " values") + " could not be read (" +
               (f.count > f.first_lines.size() ? "the first at line" : "line") +
               (f.first_lines.size() == 1 ? " " : "s ");
        for (std::size_t k = 0; k < f.first_lines.size(); ++k)
            out += (k > 0 ? ", " : "") + std::to_string(f.first_lines[k]);
        out += ").\n";
    }
    return out;
}

}  // namespace qvr
