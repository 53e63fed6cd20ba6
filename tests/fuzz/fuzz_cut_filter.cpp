// Cutting and the line filter: a field table of any cell texts (absurd numbers included) read by the
// whole-number reading and derived by Enter, its slices cutting lines of any bytes joined by any
// separator, trimmed or not, and the contains / lower / upper test, each against a plain account.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

#include "common/whole_number.h"
#include "engine/line_cutter.h"
#include "fields/field_table.h"
#include "fuzz_support.h"

using namespace qvr;
using namespace qvr::fuzz;

namespace {

std::string cell_text(FuzzedDataProvider& in) {
    const int kind = in.ConsumeIntegralInRange(0, 3);
    if (kind == 3) return in.ConsumeRandomLengthString(12);
    return decimal_text(kind == 0   ? in.ConsumeIntegral<std::int64_t>()
                        : kind == 1 ? in.ConsumeIntegral<std::int32_t>()
                                    : in.ConsumeIntegralInRange(-3, 70));
}

/// Enter in a cell leaves a row whose three numbers read back and agree: end = start + length - 1.
void check_commit(FieldTable& table, int row, int column) {
    const FieldTable::Row before = {table.cell(0, row), table.cell(1, row), table.cell(2, row),
                                    table.cell(3, row)};
    table.commit_row(row, column);
    if (column == FieldTable::kName) {
        for (int c = 0; c < FieldTable::kColumns; ++c) QVR_FUZZ_CHECK(table.cell(c, row) == before[c]);
        return;
    }
    const auto start = plain_number(table.cell(FieldTable::kStart, row));
    const auto length = plain_number(table.cell(FieldTable::kLength, row));
    const auto end = plain_number(table.cell(FieldTable::kEnd, row));
    QVR_FUZZ_CHECK(start && length && end && *end == *start + *length - 1);
    const std::int64_t typed_start = plain_number(before[FieldTable::kStart]).value_or(0);
    QVR_FUZZ_CHECK(*start == (typed_start == 0 ? 1 : typed_start));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    FieldTable table;
    const int rows = in.ConsumeIntegralInRange(1, 6);
    table.set_row_count(rows);
    for (int row = 1; row <= rows; ++row)
        for (int column = FieldTable::kStart; column <= FieldTable::kEnd; ++column)
            table.set_cell(column, row, cell_text(in));
    if (in.ConsumeBool())
        check_commit(table, in.ConsumeIntegralInRange(1, rows), in.ConsumeIntegralInRange(0, 3));

    const std::vector<FieldSlice> slices = table.slices();
    for (int row = 1; row <= rows; ++row) {
        QVR_FUZZ_CHECK(slices[row - 1].start ==
                       plain_number(table.cell(FieldTable::kStart, row)).value_or(0));
        QVR_FUZZ_CHECK(slices[row - 1].length ==
                       plain_number(table.cell(FieldTable::kLength, row)).value_or(0));
    }

    const std::string separator = in.ConsumeRandomLengthString(3);
    const bool trim = in.ConsumeBool();
    const LineFilter filter{in.ConsumeRandomLengthString(4), in.ConsumeRandomLengthString(6),
                            in.ConsumeRandomLengthString(6)};
    const LineCutter cutter(slices, separator, trim);
    const std::uint64_t used = columns_used(slices);
    std::string cut_line, again;
    while (in.remaining_bytes() > 0) {
        const std::string line = in.ConsumeRandomLengthString(80);
        cutter.cut(line, cut_line);
        QVR_FUZZ_CHECK(cut_line == plain_cut(line, slices, separator, trim));
        // What lies past the columns the slices use cannot change the cut line.
        cutter.cut(std::string_view(line).substr(0, used), again);
        QVR_FUZZ_CHECK(again == cut_line);
        QVR_FUZZ_CHECK(filter.passes(cut_line) == plain_passes(cut_line, filter));
    }
    return 0;
}
