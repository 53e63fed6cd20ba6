#include "dbase/dbf_export.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "common/char_map.h"
#include "common/file_error.h"
#include "common/line_reader.h"
#include "common/utf8_chars.h"
#include "common/whole_number.h"

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

DbfExport::DbfExport(DbfExportJob job) : job_(std::move(job)), out_(job_.target) {
    // Into a pipe the header cannot be corrected at the end, so its count must be right from the start:
    // the count the last run announced, or nothing at all rather than a table that says 0 records.
    if (!out_.can_seek() && job_.record_count == 0)
        throw_file_error("Cannot write file", job_.target, kUncountedIntoAPipe);
    std::vector<DbfField> fields = fields_of(job_.columns);
    out_.write(dbf_header(fields, job_.record_count));
    record_.assign(static_cast<std::size_t>(dbf_record_length(fields)), ' ');
}

std::vector<FieldSlice> DbfExport::read_slices() const {
    std::vector<FieldSlice> slices;
    for (const DbfColumn& c : job_.columns)
        slices.push_back({strict_whole_number(c.start_text), c.field.length});
    return slices;
}

std::size_t DbfExport::line_prefix() const {
    try {
        return static_cast<std::size_t>(bytes_used(read_slices(), job_.encoding));
    } catch (const NotAWholeNumber&) {
        return 0;
    }
}

void DbfExport::write_record(std::string_view line, const std::vector<FieldSlice>& slices) {
    // The deletion flag and the padding are spaces; each field's slice is copied as it stands. The record
    // is built where it goes in the output.
    char* at = out_.room(record_.size());
    std::memcpy(at, record_.data(), record_.size());
    char* field_at = at + 1;
    // A line of ASCII is its own Windows-1252 form; only a line with other characters is converted.
    const bool chars = job_.encoding == TextEncoding::utf8 && has_high_byte(line);
    LineColumns columns(line, chars ? TextEncoding::utf8 : TextEncoding::cp1252);
    for (const FieldSlice& slice : slices) {
        const std::string_view field = field_slice(columns, slice);
        if (chars)
            put_chars(field, field_at);
        else if (!field.empty())
            std::memcpy(field_at, field.data(), field.size());
        field_at += slice.length;
    }
    out_.advance(record_.size());
}

void DbfExport::put_chars(std::string_view field, char* at) {
    const char* const end = field.data() + field.size();
    for (const char* p = field.data(); p < end;) {
        const std::size_t size = utf8_char_size(p, end);
        const long cp = utf8_code_point(p, size);
        // A stray byte stays as it is, as in every other output.
        int byte = cp < 0        ? static_cast<unsigned char>(*p)
                   : cp > 0xFFFF ? -1
                                 : char_to_byte(static_cast<char16_t>(cp));
        if (byte < 0) {
            byte = '?';
            ++replaced_;
        }
        *at++ = static_cast<char>(byte);
        p += size;
    }
}

std::uint64_t DbfExport::run(const DbfProgress& progress) {
    LineReader reader(job_.input_path);
    reader.read_text_in(job_.encoding);
    // A line of gigabytes takes no more memory than its columns of the table.
    reader.keep_line_prefix(line_prefix());
    std::optional<LineCutter> cutter;
    std::string filter_line;
    std::uint64_t lines_read = 0;
    std::uint64_t records = 0;
    // Without any of the three texts every line passes, and the filter line need not be built.
    const bool filtering =
        !job_.filter.contains.empty() || !job_.filter.lower.empty() || !job_.filter.upper.empty();
    std::string_view line;
    while (reader.next(line)) {
        if (!cutter) cutter.emplace(read_slices(), std::string(), job_.trim, job_.encoding);
        if (filtering) cutter->cut(line, filter_line);
        if (!filtering || job_.filter.passes(filter_line)) {
            // The header counts records in 32 bits; a count that wrapped would be a wrong table.
            if (records == UINT32_MAX) throw_file_error("Cannot write file", job_.target, EFBIG);
            write_record(line, cutter->slices());
            ++records;
        }
        ++lines_read;
        if (progress) progress(lines_read);
    }
    out_.write(std::string_view(&kDbfEndOfFile, 1));
    // The announced count is only what the last extract passed; readers trust the header, so it must
    // tell the records actually present.
    if (out_.can_seek())
        out_.write_at(kDbfRecordCountOffset, dbf_record_count_bytes(static_cast<std::uint32_t>(records)));
    else if (records != job_.record_count)
        throw_file_error("Cannot write file", job_.target,
                         "Its header announced " + std::to_string(job_.record_count) + " records, not the " +
                             std::to_string(records) + " written");
    out_.commit();
    input_text_ = reader.tally();
    return records;
}

}  // namespace qvr
