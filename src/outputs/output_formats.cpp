#include "outputs/output_formats.h"

#include <algorithm>

#include "common/regular_file.h"
#include "dbase/dbf_export.h"
#include "dbase/dbf_layout.h"
#include "dbase/dbf_sink.h"
#include "engine/text_sink.h"
#include "outputs/table_sinks.h"

namespace qvr {

namespace {

std::unique_ptr<RecordSink> separated_text(const ExtractJob& job) {
    return std::make_unique<SeparatedTextSink>(job);
}

// A column per field, named as the export names it. A text column is as wide as its field; a number
// column as wide as the widest value of the input, read in a pass of its own where the input can be read
// twice, else as wide as its field allows. No run counted its records before, so it cannot go into a pipe.
std::unique_ptr<RecordSink> dbase_table(const ExtractJob& job) {
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

std::unique_ptr<RecordSink> sqlite_table(const ExtractJob& job) { return std::make_unique<SqliteSink>(job); }

std::unique_ptr<RecordSink> xlsx_workbook(const ExtractJob& job) { return std::make_unique<XlsxSink>(job); }

}  // namespace

const std::vector<OutputFormat>& output_formats() {
    static const std::vector<OutputFormat> all = {
        {"text", ".txt", {separated_text, false}},
        {"dbf", ".dbf", {dbase_table, true}},
        {"sqlite", ".db", {sqlite_table, true}},
        {"xlsx", ".xlsx", {xlsx_workbook, true}},
    };
    return all;
}

const OutputFormat* output_format(std::string_view name) {
    for (const OutputFormat& format : output_formats())
        if (format.name == name) return &format;
    return nullptr;
}

}  // namespace qvr
