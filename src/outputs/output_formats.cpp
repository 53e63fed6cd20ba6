#include "outputs/output_formats.h"

#include "dbase/dbf_layout.h"
#include "dbase/dbf_sink.h"
#include "engine/text_sink.h"
#include "outputs/table_sinks.h"

namespace qvr {

namespace {

std::unique_ptr<RecordSink> separated_text(const ExtractJob& job) {
    return std::make_unique<SeparatedTextSink>(job);
}

// A column per field, named as the export names it, as wide as the field, or a number or date column
// as wide as its type's values can be. No run counted its records before, so it cannot go into a pipe.
std::unique_ptr<RecordSink> dbase_table(const ExtractJob& job) {
    std::vector<DbfField> fields;
    for (std::size_t i = 0; i < job.slices.size(); ++i)
        fields.push_back(dbf_typed_field(
            dbf_field_name(i < job.names.size() ? job.names[i] : std::string(), static_cast<int>(i) + 1),
            job.slices[i].length, i < job.types.size() ? job.types[i] : FieldType{}));
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
