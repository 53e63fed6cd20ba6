#include "dbase/dbf_limits.h"

#include "common/whole_number.h"

namespace qvr {

DbfLimits check_dbf_limits(std::int64_t record_count, const std::vector<std::string>& length_cells) {
    DbfLimits limits;
    if (record_count > kDbfMaxRecords) {
        limits.refusal = DbfRefusal::too_many_records;
        return limits;
    }
    std::int64_t sum = 0;
    for (std::size_t i = 0; i < length_cells.size(); ++i) {
        std::int32_t length = strict_whole_number(length_cells[i]);
        if (length < 1) {
            limits.refusal = DbfRefusal::length_below_one;
            limits.row = static_cast<int>(i) + 1;
            limits.lengths.clear();
            return limits;
        }
        sum += length;
        limits.lengths.push_back(length);
    }
    if (sum > kDbfMaxFieldsLength) {
        limits.refusal = DbfRefusal::fields_too_long;
        limits.lengths.clear();
    }
    return limits;
}

}  // namespace qvr
