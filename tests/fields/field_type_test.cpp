#include "fields/field_type.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <random>

namespace qvr::test {
namespace {

constexpr const char* kBad = "<bad>";

std::string converted(const std::string& spelling, std::string_view raw) {
    std::string out;
    return convert_value(parse_field_type(spelling), raw, out) ? out : kBad;
}

TEST(FieldType, ConvertsTheUsualValues) {
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"int", "-00012", "-12"},
        {"int", "  42-  ", "-42"},
        {"int", "      ", ""},
        {"dec(2)", "0000012345", "123.45"},
        {"dec(2)", "-000000005", "-0.05"},
        {"num", "1,234.50-", "-1234.50"},
        {"num(,)", "1.234.567,89", "1234567.89"},
        {"zoned(2)", "0001234}", "-123.40"},  // } is the last digit, 0, and the minus
        {"zoned(2)", "000123M", "-12.34"},
        {"packed(2)", std::string("\x01\x23\x4D", 3), "-12.34"},
        {"packed(0)", std::string("\x40\x40", 2), ""},
        {"binary(2)", std::string("\x00\x00\x30\x39", 4), "123.45"},
        {"date(YYYYMMDD)", "20261207", "2026-12-07"},
        {"date(DD/MM/YY)", "07/12/26", "2026-12-07"},
        {"date(DD/MM/YY)", "07/12/69", "1969-12-07"},
        {"date(YYYYMMDD)", "00000000", ""},
        {"int", "1" + std::string(38, '0'), kBad},
    };
    for (const auto& [spelling, raw, value] : cases) EXPECT_EQ(value, converted(spelling, raw)) << spelling;
    // What a dBase column needs: N(8,2) holds -1234.50, N(4,2) holds 0.05; a date as YYYYMMDD.
    EXPECT_EQ(8, number_shape("-1234.50").width());
    EXPECT_EQ(4, number_shape("0.05").width());
    EXPECT_EQ("20261207", dbase_date("2026-12-07"));
}

TEST(FieldType, SpellingsReadBackAndBadOnesAreTold) {
    for (const char* s : {"text", "int", "dec(0)", "dec(38)", "num", "num(,)", "zoned(2)", "packed(3)",
                          "binary(0)", "date(YYYYMMDD)", "date(DD/MM/YY)", "date(MM-DD-YYYY)"})
        EXPECT_EQ(s, field_type_spelling(parse_field_type(s)));
    const std::pair<const char*, const char*> bad[] = {
        {"float",
         "the types are text, int, dec(N), num, num(,), zoned(N), packed(N), binary(N) or date(PATTERN)"},
        {"dec", "dec needs its number of implied decimals, as dec(2)"},
        {"dec(39)", "the implied decimals are a number from 0 to 38"},
        {"num(;)", "num takes a decimal comma only, as num(,)"},
        {"date(YYYYMM)", "a date pattern holds YYYY or YY, MM and DD"},
        {"date(YYYMMDD)", "a date pattern holds YYYY or YY, MM and DD once each"}};
    for (const auto& [spelling, why] : bad)
        EXPECT_THAT([&] { parse_field_type(spelling); },
                    testing::ThrowsMessage<NotAFieldType>(std::string("'") + spelling +
                                                          "' is not a field type: " + why));
}

// The property test: each type against a plain model of its values on random values, good and bad.
class Model {
  public:
    std::mt19937_64 rng{20261207};
    int below(int n) { return static_cast<int>(rng() % static_cast<std::uint64_t>(n)); }
    bool chance(int percent) { return below(100) < percent; }

    /// Digits of a random length, the longest runs and empty ones often.
    std::string digits(int most) {
        const int pick = below(10);
        const int n = pick == 0 ? 0 : pick == 1 ? most : below(most + 1);
        std::string s;
        for (int i = 0; i < n; ++i) s += static_cast<char>('0' + below(10));
        return s;
    }
    static std::string without_leading_zeros(const std::string& s) {
        const std::size_t first = s.find_first_not_of('0');
        return first == std::string::npos ? "" : s.substr(first);
    }
    /// The plain value of `digits` with `decimals` of them after the point.
    static std::string value(bool negative, const std::string& digits, int decimals) {
        const auto d = static_cast<std::size_t>(decimals);
        const std::string padded = std::string(d > digits.size() ? d - digits.size() : 0, '0') + digits;
        const std::string w = without_leading_zeros(padded.substr(0, padded.size() - d));
        const std::string fraction = padded.substr(padded.size() - d);
        const bool zero = without_leading_zeros(padded).empty();
        if (w.size() + d > kMostDigits) return kBad;
        return std::string(negative && !zero ? "-" : "") + (w.empty() ? "0" : w) +
               (d == 0 ? "" : "." + fraction);
    }
    std::string blanks() { return std::string(static_cast<std::size_t>(chance(20) ? below(3) : 0), ' '); }
};

struct Case {
    std::string spelling;
    std::string raw;
    std::string expected;
};

Case whole_case(Model& m) {
    const int decimals = m.chance(30) ? 0 : m.below(kMostDigits + 1);
    const std::string digits =
        std::string(static_cast<std::size_t>(m.below(4)), '0') + m.digits(kMostDigits + 1);
    const bool negative = m.chance(50);
    const std::string spelling =
        decimals == 0 && m.chance(50) ? "int" : "dec(" + std::to_string(decimals) + ")";
    if (digits.empty()) return {spelling, m.blanks(), ""};
    const int sign = m.below(4);
    std::string raw = negative ? (sign < 2 ? "-" + digits : digits + "-") : sign == 0 ? "+" + digits : digits;
    if (m.chance(5) && raw.size() > 1) {  // a character that has no place inside a whole number
        raw.insert(1 + static_cast<std::size_t>(m.below(static_cast<int>(raw.size()) - 1)), 1,
                   "x.,+- "[m.below(6)]);
        return {spelling, raw, kBad};
    }
    return {spelling, m.blanks() + raw + m.blanks(), Model::value(negative, digits, decimals)};
}

Case written_case(Model& m) {
    const bool comma = m.chance(50);
    const std::string whole = Model::without_leading_zeros(m.digits(30));
    const std::string decimals = m.chance(30) ? "" : m.digits(12);
    const bool negative = m.chance(50);
    const char separator = m.chance(50) ? 0 : comma ? (m.chance(50) ? '.' : ' ') : ',';
    std::string raw;  // the whole part grouped by threes
    const std::string written = whole.empty() && (decimals.empty() || m.chance(50)) ? "0" : whole;
    for (std::size_t i = 0; i < written.size(); ++i)
        raw +=
            std::string(separator && i > 0 && (written.size() - i) % 3 == 0 ? 1 : 0, separator) + written[i];
    if (!decimals.empty() || m.chance(10)) raw += std::string(1, comma ? ',' : '.') + decimals;
    const std::string spelling = comma ? "num(,)" : "num";
    if (negative || m.chance(20))
        raw = m.chance(50) ? (negative ? '-' : '+') + raw : raw + (negative ? '-' : '+');
    if (m.chance(10) && separator != 0 && whole.size() > 3)  // a group of two digits
        return {spelling, raw.erase(raw.find(separator) + 1, 1), kBad};
    if (m.chance(5)) return {spelling, raw + (comma ? ",1,1" : ".1.1"), kBad};  // a point too many
    return {spelling, m.blanks() + raw + m.blanks(),
            Model::value(negative, whole + decimals, static_cast<int>(decimals.size()))};
}

Case zoned_case(Model& m) {
    const int decimals = m.below(6);
    const std::string digits = m.digits(kMostDigits) + static_cast<char>('0' + m.below(10));
    const bool negative = m.chance(50);
    const int last = digits.back() - '0';
    std::string raw = digits;
    raw.back() = negative ? (last == 0 ? '}' : static_cast<char>('J' + last - 1))
                          : (m.chance(20) ? digits.back()
                             : last == 0  ? '{'
                                          : static_cast<char>('A' + last - 1));
    const std::string spelling = "zoned(" + std::to_string(decimals) + ")";
    if (m.chance(5) && raw.size() > 1) {  // an overpunch before the last digit, or a last one that is none
        raw[static_cast<std::size_t>(m.below(static_cast<int>(raw.size()) - 1))] = "AJ{}-x"[m.below(6)];
        return {spelling, raw, kBad};
    }
    if (m.chance(3)) return {spelling, raw.substr(0, raw.size() - 1) + "Sajz"[m.below(4)], kBad};
    return {spelling, raw, Model::value(negative, digits, decimals)};
}

Case packed_case(Model& m) {
    const int decimals = m.below(6);
    std::string digits = m.digits(kMostDigits + 1);
    if (digits.size() % 2 == 0) digits = "0" + digits;
    const bool negative = m.chance(50);
    std::string raw;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        raw += static_cast<char>((digits[i] - '0') << 4 | (digits[i + 1] - '0'));
    const int sign = negative ? (m.chance(80) ? 0xD : 0xB) : "\x0C\x0F\x0A\x0E"[m.below(4)];
    raw += static_cast<char>((digits.back() - '0') << 4 | sign);
    const std::string spelling = "packed(" + std::to_string(decimals) + ")";
    if (m.chance(5)) {  // a digit that is none, or no sign
        const std::size_t at = static_cast<std::size_t>(m.below(static_cast<int>(raw.size())));
        raw[at] = static_cast<char>(at + 1 == raw.size() ? (raw[at] & 0xF0) | m.below(10)
                                                         : 0xA0 | (raw[at] & 0x0F));
        const bool no_value = raw.find_first_not_of(raw[0]) == std::string::npos &&
                              (raw[0] == '\0' || raw[0] == ' ' || raw[0] == '\x40');  // low values, blanks
        return {spelling, raw, no_value ? "" : kBad};
    }
    return {spelling, raw, Model::value(negative, digits, decimals)};
}

/// The decimal digits of big-endian unsigned bytes, by doubling a decimal text for each bit.
std::string decimal_of_bytes(const std::string& bytes) {
    std::string d = "0";  // least significant digit first
    for (char byte : bytes)
        for (int bit = 7; bit >= 0; --bit) {
            int carry = (static_cast<unsigned char>(byte) >> bit) & 1;
            for (char& c : d) {
                const int v = (c - '0') * 2 + carry;
                c = static_cast<char>('0' + v % 10);
                carry = v / 10;
            }
            if (carry) d += '1';
        }
    return std::string(d.rbegin(), d.rend());
}

Case binary_case(Model& m) {
    const int decimals = m.below(4);
    const int size = m.chance(5) ? 17 + m.below(4) : 1 + m.below(16);
    std::string raw;
    for (int i = 0; i < size; ++i) raw += static_cast<char>(m.rng());
    if (size > 16 && m.chance(70)) {  // mostly sign extension, which reads
        for (int i = 0; i < size - 16; ++i)
            raw[static_cast<std::size_t>(i)] =
                raw[static_cast<std::size_t>(size - 16)] & 0x80 ? '\xFF' : '\0';
    }
    if (m.chance(10)) std::fill(raw.begin(), raw.end(), m.chance(50) ? '\xFF' : '\0');  // -1 and 0
    const bool negative = (raw[0] & 0x80) != 0;
    std::string magnitude = raw;
    if (negative) {  // two's complement: invert, add one
        for (char& c : magnitude) c = static_cast<char>(~c);
        for (auto it = magnitude.rbegin(); it != magnitude.rend(); ++it)
            if (++*it != 0) break;
    }
    const std::string digits = decimal_of_bytes(magnitude);
    // Past 128 bits without sign extension: more than 38 digits, refused.
    const std::string expected = Model::without_leading_zeros(digits).size() > kMostDigits
                                     ? kBad
                                     : Model::value(negative, digits, decimals);
    return {"binary(" + std::to_string(decimals) + ")", raw, expected};
}

std::string two(int v) {
    return std::string{static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)};
}

/// Days 0 to 32 of every month of years around the leap rules, then random dates.
Case date_case(Model& m, std::uint64_t i) {
    static const char* kPatterns[] = {"YYYYMMDD",   "DD/MM/YY",   "MM-DD-YYYY",        "YYMMDD",
                                      "DD.MM.YYYY", "YYYY MM DD", "day DD of MM, YYYY"};
    static const int kYears[] = {1900, 1969, 1999, 2000, 2023, 2024, 2068, 2100, 2400, 1};
    int year, month, day;
    if (i < 10 * 12 * 33) {
        year = kYears[i / (12 * 33)];
        month = static_cast<int>(i / 33 % 12) + 1;
        day = static_cast<int>(i % 33);
    } else {
        year = 1 + m.below(9999);
        month = m.below(14);
        day = m.below(33);
    }
    const std::string pattern = kPatterns[m.below(7)];
    const bool short_year = pattern.find("YYYY") == std::string::npos;
    if (short_year) year = year % 100 + (year % 100 >= 69 ? 1900 : 2000);
    std::string raw = pattern;
    auto put = [&raw](const char* what, const std::string& text) {
        raw.replace(raw.find(what), text.size(), text);
    };
    put(short_year ? "YY" : "YYYY", short_year ? two(year % 100) : two(year / 100) + two(year % 100));
    put("MM", two(month));
    put("DD", two(day));
    const std::chrono::year_month_day ymd{std::chrono::year{year},
                                          std::chrono::month{static_cast<unsigned>(month)},
                                          std::chrono::day{static_cast<unsigned>(day)}};
    std::string expected =
        ymd.ok() ? std::to_string(10000 + year).substr(1) + "-" + two(month) + "-" + two(day) : kBad;
    if (raw.find_first_of("123456789") == std::string::npos) expected = "";  // all zero: no date
    if (m.chance(3)) {
        raw[static_cast<std::size_t>(m.below(static_cast<int>(raw.size())))] = 'x';
        expected = kBad;
    }
    return {"date(" + pattern + ")", raw, expected};
}

TEST(FieldType, EveryTypeAgreesWithAPlainModelOnAMillionValues) {
    Model m;
    const std::function<Case(std::uint64_t)> makers[] = {
        [&](std::uint64_t) { return whole_case(m); },  [&](std::uint64_t) { return written_case(m); },
        [&](std::uint64_t) { return zoned_case(m); },  [&](std::uint64_t) { return packed_case(m); },
        [&](std::uint64_t) { return binary_case(m); }, [&](std::uint64_t i) { return date_case(m, i); }};
    constexpr std::uint64_t kEach = 1'000'000 / 6 + 1;
    int mismatches = 0;
    std::string out;
    for (const auto& make : makers) {
        for (std::uint64_t i = 0; i < kEach; ++i) {
            const Case c = make(i);
            const bool read = convert_value(parse_field_type(c.spelling), c.raw, out);
            const std::string got = read ? out : kBad;
            if (got != c.expected && ++mismatches <= 10)
                ADD_FAILURE() << c.spelling << " '" << c.raw << "': " << got << ", the model says "
                              << c.expected;
        }
    }
    EXPECT_EQ(0, mismatches);
}

}  // namespace
}  // namespace qvr::test
