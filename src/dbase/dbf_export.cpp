#include "dbase/dbf_export.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "common/file_error.h"
#include "common/line_reader.h"
#include "common/whole_number.h"
#include "engine/record_pipeline.h"

namespace qvr {

namespace {
std::vector<DbfField> fields_of(const std::vector<DbfColumn>& columns) {
    std::vector<DbfField> fields;
    for (const DbfColumn& c : columns) fields.push_back(c.field);
    return fields;
}
}  // namespace

int dbf_gauge_position(std::uint64_t lines_read, std::uint64_t expected) {
    if (expected == 0) return 15;
    std::uint64_t position = 15 + 84 * lines_read / expected;
    return static_cast<int>(std::min<std::uint64_t>(position, 99));
}

DbfExport::DbfExport(DbfExportJob job)
    : job_(std::move(job)), sink_(job_.target, fields_of(job_.columns), job_.record_count, job_.encoding) {}

std::vector<FieldSlice> DbfExport::read_slices() const {
    std::vector<FieldSlice> slices;
    for (const DbfColumn& c : job_.columns)
        slices.push_back({strict_whole_number(c.start_text), c.field.length});
    return slices;
}

std::size_t DbfExport::line_prefix() const {
    try {
        // A settled encoding keeps a character's width, so that a UTF-8 character that would contradict
        // it is seen whole.
        return static_cast<std::size_t>(
            bytes_used(read_slices(), job_.encoding_from_first_block ? TextEncoding::utf8 : job_.encoding));
    } catch (const NotAWholeNumber&) {
        return 0;
    }
}

std::uint64_t DbfExport::run(const DbfProgress& progress) {
    LineReader reader(job_.input_path);
    if (job_.encoding_from_first_block) {
        job_.encoding = reader.settle_text_encoding();
        sink_.set_encoding(job_.encoding);
    } else {
        reader.read_text_in(job_.encoding);
    }
    // A line of gigabytes takes no more memory than its columns of the table.
    reader.keep_line_prefix(line_prefix());
    std::string_view first;
    const bool any = reader.next(first);
    // The start positions are read at the first line: an empty input has none to refuse. The filter
    // tests the fields joined by nothing.
    const LineCutter cutter(any ? read_slices() : std::vector<FieldSlice>{}, std::string(), job_.trim,
                            job_.encoding);
    FirstLineAgain<LineReader> lines(reader, first, any);
    std::int64_t passed = 0;
    std::uint64_t lines_read = 0;
    try {
        pass_records(
            lines, RecordRule{cutter, job_.filter, 0, job_.encoding}, sink_, passed, [] {},
            [&] {
                ++lines_read;
                if (progress) progress(lines_read);
            });
        sink_.commit();
    } catch (...) {
        sink_.abandon();
        throw;
    }
    input_text_ = reader.tally();
    return sink_.records();
}

}  // namespace qvr
