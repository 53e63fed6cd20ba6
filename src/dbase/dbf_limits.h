#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qvr {

/// The most records a table may be announced with.
inline constexpr std::int64_t kDbfMaxRecords = 16'700'000;
/// The most bytes the fields of a record may take together, so that the record with its deletion flag
/// fits the 255 a reader expects.
inline constexpr std::int64_t kDbfMaxFieldsLength = 254;

/// Why a table cannot be written, found before anything is written.
enum class DbfRefusal {
    none,
    too_many_records,  ///< the record count is above kDbfMaxRecords
    length_below_one,  ///< a row's length is 0 or negative: its descriptor and its bytes would disagree
    fields_too_long,   ///< the lengths add up to more than kDbfMaxFieldsLength
};

/// The outcome of checking a table: the refusal (with the 1-based row it concerns) or the field lengths.
struct DbfLimits {
    DbfRefusal refusal = DbfRefusal::none;
    int row = 0;
    std::vector<std::int32_t> lengths;
};

/// Checks the record count, then reads the rows' "Length" cells strictly, in table order (a cell that is
/// not a whole number throws NotAWholeNumber), and checks each length and their sum.
DbfLimits check_dbf_limits(std::int64_t record_count, const std::vector<std::string>& length_cells);

}  // namespace qvr
