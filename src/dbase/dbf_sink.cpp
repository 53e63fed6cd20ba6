#include "dbase/dbf_sink.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/file_error.h"
#include "common/regular_file.h"
#include "common/text_convert.h"
#include "common/utf8_chars.h"
#include "dbase/dbf_export.h"
#include "engine/extract_job.h"
#include "engine/line_cutter.h"
#include "fields/field_columns.h"

namespace qvr {

DbfSink::DbfSink(const std::string& target, std::vector<DbfField> fields, std::uint32_t record_count,
                 TextEncoding encoding)
    : out_(std::make_unique<SafeFileWriter>(target)),
      fields_(std::move(fields)),
      announced_(record_count),
      utf8_(encoding == TextEncoding::utf8) {
    // Into a pipe the header cannot be corrected at the end, so its count must be right from the start:
    // the count the last run announced, or nothing at all rather than a table that says 0 records.
    if (!out_->can_seek() && record_count == 0)
        throw_file_error("Cannot write file", target, kUncountedIntoAPipe);
    out_->write(dbf_header(fields_, record_count));
    blank_record_.assign(static_cast<std::size_t>(dbf_record_length(fields_)), ' ');
}

void DbfSink::put(const PassedRecord& record) {
    // The header counts records in 32 bits; a count that wrapped would be a wrong table.
    if (records_ == UINT32_MAX) throw_file_error("Cannot write file", out_->target(), EFBIG);
    // Each field's slice is copied as it stands into the blank record, built where it goes in the output.
    char* at = out_->room(blank_record_.size());
    std::memcpy(at, blank_record_.data(), blank_record_.size());
    char* field_at = at + 1;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const std::string_view field = (*record.fields)[i];
        const DbfField& column = fields_[i];
        if (column.kind == 'N') {
            if (!field.empty() && !dbf_number(field, column, field_at))
                throw_file_error(
                    "Cannot write file", out_->target(),
                    "The number " + std::string(field) + " does not fit its column " + column.name);
        } else if (column.kind == 'D') {
            const std::string date = dbase_date(field);
            std::memcpy(field_at, date.data(), date.size());
        } else if (utf8_ && has_high_byte(field)) {
            const char* const end = field.data() + field.size();
            char* put_at = field_at;
            for (const char* p = field.data(); p < end;) {
                const std::size_t size = utf8_char_size(p, end);
                *put_at++ = windows_1252_byte(p, size, replaced_);
                p += size;
            }
        } else if (!field.empty()) {
            std::memcpy(field_at, field.data(), field.size());
        }
        field_at += fields_[i].length;
    }
    out_->advance(blank_record_.size());
    ++records_;
}

void DbfSink::set_fields(std::vector<DbfField> fields) {
    fields_ = std::move(fields);
    out_->write_at(0, dbf_header(fields_, announced_));
    blank_record_.assign(static_cast<std::size_t>(dbf_record_length(fields_)), ' ');
}

void DbfSink::commit() {
    out_->write(std::string_view(&kDbfEndOfFile, 1));
    // The announced count is only what the last extract passed; readers trust the header, so it must
    // tell the records actually present.
    if (out_->can_seek())
        out_->write_at(kDbfRecordCountOffset, dbf_record_count_bytes(static_cast<std::uint32_t>(records_)));
    else if (records_ != announced_)
        throw_file_error("Cannot write file", out_->target(),
                         "Its header announced " + std::to_string(announced_) + " records, not the " +
                             std::to_string(records_) + " written");
    out_->commit();
}

void DbfSink::abandon() noexcept { out_.reset(); }

// A column per field, named as the export names it. A text column is as wide as its field; a number
// column as wide as the widest value of the input, read in a pass of its own where the input can be read
// twice, else as wide as its field allows. No run counted its records before, so it cannot go into a pipe.
std::unique_ptr<RecordSink> dbf_table_sink(const ExtractJob& job) {
    std::vector<NumberShape> seen;
    const bool numbers =
        std::any_of(job.types.begin(), job.types.end(), [](const FieldType& t) { return t.is_number(); });
    if (numbers && job.input_path != kStandardInputPath && !job.encoding_from_first_block) {
        const LineCutter cutter(job.slices, std::string(), job.trim, job.encoding, false, job.types);
        seen = dbf_number_shapes({job.input_path, job.framing, job.encoding, job.code_page,
                                  static_cast<std::size_t>(bytes_used(job.slices, job.encoding))},
                                 cutter, LineFilter{});
    }
    std::vector<DbfField> fields;
    for (std::size_t i = 0; i < job.slices.size(); ++i) {
        std::string name =
            dbf_field_name(i < job.names.size() ? job.names[i] : std::string(), static_cast<int>(i) + 1);
        fields.push_back(i < job.types.size()
                             ? dbf_typed_field(std::move(name), job.slices[i].length, job.types[i],
                                               i < seen.size() ? &seen[i] : nullptr)
                             : DbfField{std::move(name), job.slices[i].length});
    }
    return std::make_unique<DbfSink>(job.output_path, std::move(fields), 0, job.encoding);
}

}  // namespace qvr
