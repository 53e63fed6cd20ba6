#include "outputs/output_formats.h"

#include "dbase/dbf_sink.h"
#include "engine/text_sink.h"
#include "outputs/table_sinks.h"

namespace qvr {

namespace {

std::unique_ptr<RecordSink> separated_text(const ExtractJob& job) {
    return std::make_unique<SeparatedTextSink>(job);
}

std::unique_ptr<RecordSink> sqlite_table(const ExtractJob& job) { return std::make_unique<SqliteSink>(job); }

std::unique_ptr<RecordSink> xlsx_workbook(const ExtractJob& job) { return std::make_unique<XlsxSink>(job); }

}  // namespace

const std::vector<OutputFormat>& output_formats() {
    static const std::vector<OutputFormat> all = {
        {"text", ".txt", {separated_text, false}},
        {"dbf", ".dbf", {dbf_table_sink, true}},
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
