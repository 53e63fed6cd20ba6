// The dBase writer: a table of up to 16 columns of any names, start texts and length texts, checked as the
// export checks it, then any input lines through any filter; the table it writes is read back by an
// independent reader (shapelib) and must hold exactly the records and values the lines give.

#include <fuzzer/FuzzedDataProvider.h>
#include <shapefil.h>

#include <cstdint>

#include "common/file_error.h"
#include "common/whole_number.h"
#include "dbase/dbf_export.h"
#include "dbase/dbf_limits.h"
#include "fuzz_support.h"

using namespace qvr;
using namespace qvr::fuzz;

namespace {

/// Mostly a number, so that most tables get written; now and then any text.
std::string number_or_text(FuzzedDataProvider& in, int lowest, int highest) {
    return in.ConsumeIntegralInRange(0, 15) != 0 ? decimal_text(in.ConsumeIntegralInRange(lowest, highest))
                                                 : in.ConsumeRandomLengthString(5);
}

/// Mostly no text, so that most lines get through the filter.
std::string maybe_text(FuzzedDataProvider& in, std::size_t longest) {
    return in.ConsumeIntegralInRange(0, 3) == 0 ? in.ConsumeRandomLengthString(longest) : std::string();
}

/// The refusal the limits must give, by the plain rules: the record count first, then the rows in order
/// (a length that is no number stops the check with an error: nothing), then the sum of the lengths.
std::optional<DbfRefusal> expected_refusal(std::int64_t announced, const std::vector<std::string>& lengths) {
    if (announced > kDbfMaxRecords) return DbfRefusal::too_many_records;
    std::int64_t sum = 0;
    for (const std::string& text : lengths) {
        const auto length = plain_number(text);
        if (!length || *length < 1)
            return length ? std::optional(DbfRefusal::length_below_one) : std::nullopt;
        sum += *length;
    }
    return sum > kDbfMaxFieldsLength ? DbfRefusal::fields_too_long : DbfRefusal::none;
}

/// A value as shapelib hands it back: up to its first byte 0, without leading and trailing spaces.
std::string as_read_back(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\0'));
    bytes.remove_prefix(std::min(bytes.find_first_not_of(' '), bytes.size()));
    return std::string(bytes.substr(0, bytes.find_last_not_of(' ') + 1));
}

/// The table must have the job's columns and a record of every line whose fields, joined without separator
/// and trimmed as asked, pass the filter: its slices, untrimmed. Returns the records.
int check_read_back(const DbfExportJob& job, const std::vector<FieldSlice>& slices,
                    const std::vector<std::string>& lines) {
    DBFHandle dbf = DBFOpen(job.target.c_str(), "rb");
    QVR_FUZZ_CHECK(dbf != nullptr && DBFGetFieldCount(dbf) == std::ssize(job.columns));
    for (int f = 0; f < std::ssize(job.columns); ++f) {
        char name[XBASE_FLDNAME_LEN_READ + 1] = {};
        int width = 0, decimals = 0;
        QVR_FUZZ_CHECK(DBFGetFieldInfo(dbf, f, name, &width, &decimals) == FTString &&
                       width == job.columns[f].field.length && decimals == 0);
        // Up to its first byte 0 (shapelib trims only names that fill all 11 bytes, which ours never do).
        const std::string& wanted = job.columns[f].field.name;
        QVR_FUZZ_CHECK(name == wanted.substr(0, wanted.find('\0')));
    }
    int r = 0;
    for (const std::string& line : lines) {
        if (!plain_passes(plain_cut(line, slices, "", job.trim), job.filter)) continue;
        QVR_FUZZ_CHECK(r < DBFGetRecordCount(dbf));
        for (int f = 0; f < std::ssize(slices); ++f)
            QVR_FUZZ_CHECK(DBFReadStringAttribute(dbf, r, f) ==
                           as_read_back(plain_cut(line, {slices[f]}, "", false)));
        ++r;
    }
    QVR_FUZZ_CHECK(r == DBFGetRecordCount(dbf));
    DBFClose(dbf);
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    // Seven fields and more put the header past 255 bytes.
    std::vector<std::string> names, starts, lengths;
    for (int i = in.ConsumeIntegralInRange(1, 16); i > 0; --i) {
        names.push_back(in.ConsumeRandomLengthString(12));
        starts.push_back(number_or_text(in, -3, 90));
        lengths.push_back(number_or_text(in, -1, 90));
    }
    const auto announced = in.ConsumeIntegralInRange<std::int64_t>(0, kDbfMaxRecords + 1);
    const std::optional<DbfRefusal> refusal = expected_refusal(announced, lengths);
    DbfLimits limits;
    try {
        limits = check_dbf_limits(announced, lengths);
    } catch (const NotAWholeNumber&) {
        QVR_FUZZ_CHECK(!refusal);
        return 0;
    }
    QVR_FUZZ_CHECK(refusal == limits.refusal);
    if (limits.refusal != DbfRefusal::none) return 0;

    DbfExportJob job;
    std::vector<FieldSlice> slices;
    bool starts_are_numbers = true;
    for (std::size_t i = 0; i < names.size(); ++i) {
        QVR_FUZZ_CHECK(limits.lengths[i] == plain_number(lengths[i]));
        job.columns.push_back(
            {{dbf_field_name(names[i], static_cast<int>(i) + 1), limits.lengths[i]}, starts[i]});
        const auto start = plain_number(starts[i]);
        starts_are_numbers = starts_are_numbers && start;
        slices.push_back({static_cast<std::int32_t>(start.value_or(0)), limits.lengths[i]});
    }
    job.trim = in.ConsumeBool();
    job.filter = {maybe_text(in, 3), maybe_text(in, 4), maybe_text(in, 4)};
    job.record_count = static_cast<std::uint32_t>(announced);
    const std::string input = in.ConsumeRemainingBytesAsString();
    const MemoryFile file(input);
    job.input_path = file.path();
    const ScratchFolder scratch;
    job.target = scratch.path + "fuzz.dbf";
    const std::vector<std::string> lines = plain_lines(input, '\x1a');
    try {
        const std::uint64_t written = DbfExport(job).run({});
        QVR_FUZZ_CHECK(starts_are_numbers || lines.empty());
        QVR_FUZZ_CHECK(written == static_cast<std::uint64_t>(check_read_back(job, slices, lines)));
    } catch (const NotAWholeNumber&) {
        QVR_FUZZ_CHECK(!starts_are_numbers && !lines.empty());
    } catch (const FileError&) {
        QVR_FUZZ_CHECK(begins_as_utf16(input));
    }
    return 0;
}
