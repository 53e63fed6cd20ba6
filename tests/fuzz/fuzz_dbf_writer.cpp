// The dBase writer: a table of any names, start texts and length texts, checked as the export checks it,
// then any input lines through any filter; the table it writes is read back by an independent reader
// (shapelib) and must hold exactly the records and values the lines give.

#include <fuzzer/FuzzedDataProvider.h>
#include <shapefil.h>

#include <cstdint>

#include "common/whole_number.h"
#include "dbase/dbf_export.h"
#include "dbase/dbf_limits.h"
#include "fuzz_support.h"

using namespace qvr;
using namespace qvr::fuzz;

namespace {

struct Table {
    std::vector<std::string> names;
    std::vector<std::string> starts;
    std::vector<std::string> lengths;
};

/// Mostly a number, so that most tables get written; now and then any text.
std::string number_or_text(FuzzedDataProvider& in, int lowest, int highest) {
    if (in.ConsumeIntegralInRange(0, 15) != 0)
        return decimal_text(in.ConsumeIntegralInRange(lowest, highest));
    return in.ConsumeRandomLengthString(5);
}

/// Mostly no text, so that most lines get through the filter.
std::string maybe_text(FuzzedDataProvider& in, std::size_t longest) {
    return in.ConsumeIntegralInRange(0, 3) == 0 ? in.ConsumeRandomLengthString(longest) : std::string();
}

Table table_of(FuzzedDataProvider& in) {
    Table table;
    // Seven fields and more put the header past 255 bytes.
    const int columns = in.ConsumeIntegralInRange(1, 16);
    for (int i = 0; i < columns; ++i) {
        table.names.push_back(in.ConsumeRandomLengthString(12));
        table.starts.push_back(number_or_text(in, -3, 90));
        table.lengths.push_back(number_or_text(in, -1, 90));
    }
    return table;
}

/// The refusal the limits must give, by the plain rules: the record count first, then the rows in order
/// (a length that is no number stops the check, one below 1 is refused), then the sum of the lengths.
DbfRefusal expected_refusal(std::int64_t announced, const std::vector<std::string>& lengths,
                            bool& no_number) {
    no_number = false;
    if (announced > kDbfMaxRecords) return DbfRefusal::too_many_records;
    std::int64_t sum = 0;
    for (const std::string& text : lengths) {
        const auto length = plain_number(text);
        if (!length) {
            no_number = true;
            return DbfRefusal::none;
        }
        if (*length < 1) return DbfRefusal::length_below_one;
        sum += *length;
    }
    return sum > kDbfMaxFieldsLength ? DbfRefusal::fields_too_long : DbfRefusal::none;
}

/// A text as shapelib hands it back: up to its first byte 0, without leading and trailing spaces.
std::string as_read_back(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\0'));
    while (!bytes.empty() && bytes.front() == ' ') bytes.remove_prefix(1);
    while (!bytes.empty() && bytes.back() == ' ') bytes.remove_suffix(1);
    return std::string(bytes);
}

/// A descriptor name as shapelib hands it back: up to its first byte 0 (it trims trailing spaces only
/// from names that fill all 11 bytes, which ours never do).
std::string name_as_read_back(std::string_view name) { return std::string(name.substr(0, name.find('\0'))); }

/// The records the lines give: every line that passes the filter (tested on its fields joined without
/// separator, trimmed as asked), as the field values of its slices.
std::vector<std::vector<std::string>> expected_records(const std::vector<std::string>& lines,
                                                       const std::vector<FieldSlice>& slices, bool trim,
                                                       const LineFilter& filter) {
    std::vector<std::vector<std::string>> records;
    for (const std::string& line : lines) {
        if (!plain_passes(plain_cut(line, slices, "", trim), filter)) continue;
        std::vector<std::string> values;
        for (const FieldSlice& slice : slices)
            values.push_back(as_read_back(plain_cut(line, {slice}, "", false)));
        records.push_back(std::move(values));
    }
    return records;
}

void check_read_back(const std::string& path, const DbfExportJob& job,
                     const std::vector<std::vector<std::string>>& records) {
    DBFHandle dbf = DBFOpen(path.c_str(), "rb");
    QVR_FUZZ_CHECK(dbf != nullptr);
    QVR_FUZZ_CHECK(DBFGetRecordCount(dbf) == static_cast<int>(records.size()));
    QVR_FUZZ_CHECK(DBFGetFieldCount(dbf) == static_cast<int>(job.columns.size()));
    for (std::size_t f = 0; f < job.columns.size(); ++f) {
        char name[XBASE_FLDNAME_LEN_READ + 1] = {};
        int width = 0;
        int decimals = 0;
        QVR_FUZZ_CHECK(DBFGetFieldInfo(dbf, static_cast<int>(f), name, &width, &decimals) == FTString);
        QVR_FUZZ_CHECK(width == job.columns[f].field.length && decimals == 0);
        QVR_FUZZ_CHECK(name == name_as_read_back(job.columns[f].field.name));
    }
    for (std::size_t r = 0; r < records.size(); ++r)
        for (std::size_t f = 0; f < job.columns.size(); ++f)
            QVR_FUZZ_CHECK(DBFReadStringAttribute(dbf, static_cast<int>(r), static_cast<int>(f)) ==
                           records[r][f]);
    DBFClose(dbf);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const Table table = table_of(in);
    const auto announced = in.ConsumeIntegralInRange<std::int64_t>(0, kDbfMaxRecords + 1);
    bool no_number = false;
    const DbfRefusal refusal = expected_refusal(announced, table.lengths, no_number);
    DbfLimits limits;
    try {
        limits = check_dbf_limits(announced, table.lengths);
        QVR_FUZZ_CHECK(!no_number);
    } catch (const NotAWholeNumber&) {
        QVR_FUZZ_CHECK(no_number);
        return 0;
    }
    QVR_FUZZ_CHECK(limits.refusal == refusal);
    if (refusal != DbfRefusal::none) return 0;

    DbfExportJob job;
    std::vector<FieldSlice> slices;
    bool starts_are_numbers = true;
    for (std::size_t i = 0; i < table.names.size(); ++i) {
        const DbfField field{dbf_field_name(table.names[i], static_cast<int>(i) + 1), limits.lengths[i]};
        QVR_FUZZ_CHECK(field.length == plain_number(table.lengths[i]));
        job.columns.push_back({field, table.starts[i]});
        const auto start = plain_number(table.starts[i]);
        starts_are_numbers = starts_are_numbers && start.has_value();
        slices.push_back({static_cast<std::int32_t>(start.value_or(0)), field.length});
    }
    job.trim = in.ConsumeBool();
    job.filter.contains = maybe_text(in, 3);
    job.filter.lower = maybe_text(in, 4);
    job.filter.upper = maybe_text(in, 4);
    job.record_count = static_cast<std::uint32_t>(announced);
    const std::string input = in.ConsumeRemainingBytesAsString();
    const MemoryFile file(input);
    job.input_path = file.path();
    const ScratchFolder scratch;
    job.target = scratch.path() + "fuzz.dbf";
    const std::vector<std::string> lines = lines_by_line(input);

    std::uint64_t written = 0;
    try {
        DbfExport writer(job);
        written = writer.run({});
        QVR_FUZZ_CHECK(starts_are_numbers || lines.empty());
    } catch (const NotAWholeNumber&) {
        QVR_FUZZ_CHECK(!starts_are_numbers && !lines.empty());
        return 0;
    }
    const auto records = expected_records(lines, slices, job.trim, job.filter);
    QVR_FUZZ_CHECK(written == records.size());
    check_read_back(job.target, job, records);
    return 0;
}
