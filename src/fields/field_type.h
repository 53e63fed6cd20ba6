#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_error.h"

namespace qvr {

/// What a field's text means, and so how its value is written. Spelled the same in the window, the
/// definition file and on the command line:
///   text                 the bytes as they are (the default)
///   int                  a whole number: "-00012" -> -12
///   dec(N)               a whole number with N implied decimals: "0000012345" dec(2) -> 123.45
///   num, num(,)          a written number: decimal point (comma), thousands separators "," (or "." and
///                        blank), sign before or after: "1,234.50-" -> -1234.50, decimals as written
///   zoned(N)             digits whose last one carries the sign by overpunch ({ A-I positive, } J-R
///                        negative), N implied decimals
///   packed(N)            packed decimal (COMP-3) bytes, N implied decimals
///   binary(N)            big-endian two's complement bytes (COMP), N implied decimals
///   date(PATTERN)        YYYY, YY, MM, DD and literal characters: written as 2026-12-07
/// Two-digit years follow the rule of POSIX %y: 69 to 99 are 1969 to 1999, 00 to 68 are 2000 to 2068.
struct FieldType {
    enum class Kind : std::uint8_t { text, integer, implied, number, zoned, packed, binary, date };

    Kind kind = Kind::text;
    std::uint8_t decimals = 0;   ///< implied decimals of dec, zoned, packed and binary
    bool decimal_comma = false;  ///< num(,)
    std::string pattern;         ///< date
    /// Where a date's year (four digits or two), month and day digits are, found once as it is read.
    std::uint16_t year_at = 0, month_at = 0, day_at = 0;
    bool long_year = false;
    /// Of a pattern of 8 to 16 characters, the bytes of its first and last eight that are its own
    /// characters (not digits of the date), to compare a value with it a word at a time.
    std::uint64_t literal_masks[2] = {0, 0};

    bool is_text() const { return kind == Kind::text; }
    bool is_number() const { return kind != Kind::text && kind != Kind::date; }
    /// packed and binary values are bytes, never text in an encoding: no trimming, a column is a byte.
    bool reads_bytes() const { return kind == Kind::packed || kind == Kind::binary; }

    bool operator==(const FieldType&) const = default;
};

/// A spelling that names no field type; what() says what is wrong with it.
class NotAFieldType : public UserError {
  public:
    NotAFieldType(std::string_view spelling, const std::string& why);
};

/// The most digits a number may have; a value with more is refused rather than rounded.
inline constexpr int kMostDigits = 38;

/// The most bytes a converted value takes (a sign, 38 digits, a point and a leading zero; a date's 10).
inline constexpr std::size_t kMostValueBytes = 41;

/// True for the word that begins a type's spelling ("dec" of "dec(2)").
bool is_field_type_word(std::string_view word);

/// The type a spelling names; throws NotAFieldType for any other text.
FieldType parse_field_type(std::string_view spelling);

/// The spelling of a type, as parse_field_type() reads it back.
std::string field_type_spelling(const FieldType& type);

/// Writes the value of the raw field text (or bytes) `raw` at `out`, which has room for kMostValueBytes,
/// and returns the end of what it wrote: a number as "-1234.50" (no leading zeros, no "-0"), a date as
/// "2026-12-07". A blank field, and an all-zero date, write nothing. A value that the type cannot read
/// returns nullptr, for the caller to count and write empty. A text type is not converted here.
char* convert_value(const FieldType& type, std::string_view raw, char* out);

/// convert_value() into a string; false for a value that cannot be read (`out` then empty).
bool convert_value(const FieldType& type, std::string_view raw, std::string& out);

/// The digits before and after the point of a converted number, and its sign: what a dBase column of
/// N(length, decimals) needs to hold it.
struct NumberShape {
    int whole_digits = 0;
    int decimals = 0;
    bool negative = false;
    /// The column width that holds the number: its digits, the point and the sign.
    int width() const { return whole_digits + (decimals > 0 ? decimals + 1 : 0) + (negative ? 1 : 0); }
};
NumberShape number_shape(std::string_view value);

/// A converted date "2026-12-07" as dBase keeps it, "20261207"; empty stays empty.
std::string dbase_date(std::string_view value);

/// Values of typed fields that could not be read, and so were written empty: per field, how many and on
/// which lines the first ones were.
class BadValueTally {
  public:
    static constexpr std::size_t kFirstLines = 5;
    struct Field {
        std::uint64_t count = 0;
        std::vector<std::uint64_t> first_lines;  ///< ascending, at most kFirstLines
    };

    void add(std::size_t field, std::uint64_t line);
    /// Adds the values counted elsewhere (another block of the same input).
    void merge(const BadValueTally& other);
    /// Adds the values counted elsewhere at line numbers `line_offset` lower (a block that counted its
    /// lines from 1).
    void merge(const BadValueTally& other, std::uint64_t line_offset);
    void clear() { fields_.clear(); }
    std::uint64_t total() const;
    const std::vector<Field>& fields() const { return fields_; }

    /// One sentence per field with values that could not be read, each on its own line:
    /// "Amount: 2 values could not be read (lines 17, 4411)."; empty when there is none.
    std::string report(const std::vector<std::string>& names) const;

  private:
    std::vector<Field> fields_;
};

}  // namespace qvr
