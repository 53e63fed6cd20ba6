#include "outputs/table_sinks.h"

#include <cmath>

#include "common/file_names.h"
#include "engine/line_cutter.h"

namespace qvr {

namespace {

/// The most digits a value of `type` in a field of `length` columns can have.
int most_digits(const FieldType& type, int length) {
    switch (type.kind) {
        case FieldType::Kind::packed:
            return 2 * length - 1;  // two digits a byte, the last half byte the sign
        case FieldType::Kind::binary:
            return static_cast<int>(std::ceil((8 * length - 1) * std::log10(2.0)));
        default:
            return length;
    }
}

OutputColumn column_of(const std::string& name, const FieldSlice& slice, const FieldType& type) {
    OutputColumn column{std::string(trim_blanks(name)), ColumnKind::text, 0, 0, slice.length};
    switch (type.kind) {
        case FieldType::Kind::text:
            break;
        case FieldType::Kind::date:
            column.kind = ColumnKind::date;
            column.width = 10;
            break;
        case FieldType::Kind::integer:
            column.kind = ColumnKind::integer;
            column.precision = most_digits(type, slice.length);
            break;
        case FieldType::Kind::number:
            // Decimals as written: no scale to declare.
            column.kind = ColumnKind::decimal;
            column.precision = most_digits(type, slice.length);
            column.scale = -1;
            break;
        default:
            column.kind = ColumnKind::decimal;
            column.precision = most_digits(type, slice.length);
            column.scale = type.decimals;
            column.width = column.precision + 2;
            break;
    }
    return column;
}

}  // namespace

std::vector<OutputColumn> output_columns(const ExtractJob& job) {
    std::vector<OutputColumn> columns;
    if (job.numbers) columns.push_back({"Nb", ColumnKind::integer, 18, 0, 7});
    for (std::size_t i = 0; i < job.slices.size(); ++i)
        columns.push_back(column_of(i < job.names.size() ? job.names[i] : "Field" + std::to_string(i + 1),
                                    job.slices[i], i < job.types.size() ? job.types[i] : FieldType{}));
    return columns;
}

std::string output_table_name(const ExtractJob& job) {
    if (!job.output_table.empty()) return job.output_table;
    const std::string base = with_replaced_extension(file_name_of(job.input_path), "");
    return base.empty() || base == "-" ? "Data" : base;
}

TypedValues::TypedValues(const ExtractJob& job) : types_(job.types), trim_(job.trim), numbers_(job.numbers) {
    types_.resize(job.slices.size());
}

const std::vector<std::string_view>& TypedValues::operator()(const PassedRecord& record) {
    values_.clear();
    if (numbers_) {
        number_ = std::to_string(record.number);
        values_.push_back(number_);
    }
    // The pipeline gives typed fields as their values already (an unreadable one empty, and counted);
    // text fields come as cut, trimmed here when the job trims.
    const std::vector<std::string_view>& fields = *record.fields;
    for (std::size_t i = 0; i < fields.size(); ++i)
        values_.push_back(types_[i].is_text() && trim_ ? trim_blanks(fields[i]) : fields[i]);
    return values_;
}

namespace {

/// A database or a workbook is written by name: it cannot go to standard output.
void refuse_descriptor(const ExtractJob& job, const char* what) {
    if (job.output_fd >= 0)
        throw UserError(std::string(what) + " is written to a file only, not to " + job.output_path);
}

}  // namespace

SqliteSink::SqliteSink(const ExtractJob& job)
    : values_(job),
      writer_(
          {job.output_path, output_table_name(job), output_columns(job), job.replace_table, job.encoding}) {
    refuse_descriptor(job, "A database");
    writer_.begin();
}

SqliteSink::SqliteSink(const ExtractJob& job, const SqliteSink& first)
    : values_(job),
      writer_({job.output_path, output_table_name(job), output_columns(job), job.replace_table, job.encoding},
              first.writer_) {
    writer_.begin();
}

XlsxSink::XlsxSink(const ExtractJob& job, std::uint32_t rows_per_sheet)
    : values_(job),
      writer_({job.output_path,
               job.output_table.empty() ? XlsxWorkbookWriter::sheet_name_from(output_table_name(job))
                                        : job.output_table,
               output_columns(job), job.encoding, rows_per_sheet, job.header}) {
    refuse_descriptor(job, "A workbook");
    writer_.begin();
    first_sheet_ = XlsxWorkbookWriter::sheet_name(
        job.output_table.empty() ? XlsxWorkbookWriter::sheet_name_from(output_table_name(job))
                                 : job.output_table,
        1);
    rows_per_sheet_ = rows_per_sheet;
}

XlsxSink::XlsxSink(const ExtractJob& job, XlsxSink& first)
    : values_(job),
      writer_({job.output_path, job.output_table, output_columns(job), job.encoding, first.rows_per_sheet_,
               job.header},
              first.writer_),
      first_sheet_(XlsxWorkbookWriter::sheet_name(job.output_table, 1)),
      rows_per_sheet_(first.rows_per_sheet_) {
    writer_.begin();
}

void name_type_tables(const JobSettings& s, std::vector<RecordTypeTable>& tables) {
    if (s.output_format == "sqlite") {
        const std::string pattern = s.output_table.empty()
                                        ? output_table_name(ExtractJob::from(s, {}, {})) + "_{type}"
                                        : s.output_table;
        for (RecordTypeTable& t : tables) t.output_table = type_file_name(pattern, t.value);
    } else if (s.output_format == "xlsx") {
        const std::string pattern = s.output_table.empty() ? "{type}" : s.output_table;
        for (RecordTypeTable& t : tables)
            t.output_table = XlsxWorkbookWriter::sheet_name_from(type_text(pattern, t.value));
    }
}

void name_typed_results(const JobSettings& s, TypedExtractJob& typed) {
    const bool one_file = s.output_format == "sqlite" || s.output_format == "xlsx";
    typed.output_pattern = one_file ? s.output_path : typed_output_pattern(s.output_path);
    name_type_tables(s, typed.tables);
}

}  // namespace qvr
