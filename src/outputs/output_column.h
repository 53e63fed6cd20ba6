#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/text_encoding.h"

namespace qvr {

/// What the values of a result column are, as a typed output (a database table, a workbook) stores them.
/// Values always come as normalized text: `-12` for an integer, `-1234.50` for a decimal, `2026-12-07`
/// for a date; an empty value is an empty cell (NULL in a table).
enum class ColumnKind { text, integer, decimal, date };

/// One column of a typed output.
struct OutputColumn {
    std::string name;  ///< in the encoding of the values
    ColumnKind kind = ColumnKind::text;
    /// For integer and decimal: the most digits a value can have (a field of 12 characters holds at most
    /// 12), which decides whether the column can be stored as numbers without rounding.
    int precision = 0;
    /// For decimal: the digits after the point; -1 when each value has its own (as written).
    int scale = 0;
    /// The characters a value takes at most (the field's length), for a workbook's column width.
    int width = 0;
};

/// The most significant digits a binary double holds exactly through a round trip to decimal text, so
/// the most a database or a workbook is given as a number; a longer number is stored as its text.
inline constexpr int kExactNumberDigits = 15;

/// Whether the values of `column` are all stored as numbers (integer and decimal columns whose precision
/// fits what the store keeps exactly).
bool stored_as_number(const OutputColumn& column, int exact_digits = kExactNumberDigits);

/// The significant digits of a number text such as `-0012.340` (here 5: leading zeros do not count,
/// trailing ones do), or -1 when `value` is not a plain number (optional `-`, digits, optional `.` and
/// digits, at least one digit).
int significant_digits(std::string_view value);

/// A value turned into UTF-8 text for a store that holds only UTF-8: a Windows-1252 value is converted,
/// a UTF-8 one checked, each byte that starts no character becoming U+FFFD and being counted.
class Utf8Values {
  public:
    explicit Utf8Values(TextEncoding encoding) : encoding_(encoding) {}

    /// `value` as UTF-8; valid only until the next call.
    std::string_view operator()(std::string_view value);
    /// The bytes of a UTF-8 input that started no character, written as U+FFFD.
    std::uint64_t replaced() const { return replaced_; }

  private:
    TextEncoding encoding_;
    std::string room_;
    std::uint64_t replaced_ = 0;
};

/// The significant digits of a value of an integer or decimal column. Throws UserError naming the column
/// and the data row (from 1) when it is no such number: "Amount (row 12): '12x' is not a decimal number".
int checked_number_digits(const OutputColumn& column, std::uint64_t row, std::string_view value);

struct IsoDate {
    int year = 0, month = 0, day = 0;
};

/// The date a value of a date column names, `2026-12-07`, a day the calendar has; throws UserError naming
/// the column and row otherwise.
IsoDate checked_iso_date(const OutputColumn& column, std::uint64_t row, std::string_view value);

}  // namespace qvr
