#include "dbase/dbf_job.h"

#include "common/file_names.h"
#include "common/text_convert.h"
#include "common/whole_number.h"
#include "dbase/dbf_layout.h"
#include "engine/record_types.h"

namespace qvr {

DbfLimits check_dbf_table(std::int64_t record_count, const FieldTable& table) {
    std::vector<std::string> cells;
    for (int row = 1; row <= table.row_count(); ++row) cells.push_back(table.cell(FieldTable::kLength, row));
    return check_dbf_limits(record_count, cells);
}

std::string dbf_refusal_text(const DbfLimits& limits) {
    switch (limits.refusal) {
        case DbfRefusal::none:
            break;
        case DbfRefusal::too_many_records:
            return kDbfTooManyRecordsText;
        case DbfRefusal::length_below_one:
            return "DBF file: the length of row " + decimal_text(limits.row) + " must be at least 1.";
        case DbfRefusal::fields_too_long:
            return kDbfFieldsTooLongText;
    }
    return {};
}

std::string dbf_table_name(const std::string& input_path) {
    return with_replaced_extension(input_path, ".dbf");
}

DbfExportJob dbf_export_job(const FieldTable& table, const JobSettings& settings,
                            const std::vector<std::int32_t>& lengths, std::int64_t record_count,
                            std::string target) {
    DbfExportJob job;
    job.input_path = settings.input_path;
    job.target = std::move(target);
    for (int row = 1; row <= table.row_count(); ++row) {
        const std::size_t i = static_cast<std::size_t>(row - 1);
        job.columns.push_back({{dbf_field_name(table.cell(FieldTable::kName, row), row), lengths[i]},
                               table.cell(FieldTable::kStart, row)});
    }
    job.types = table.types();
    job.names = table.names();
    job.strict = settings.strict;
    job.trim = settings.trim;
    job.encoding = settings.encoding;
    job.encoding_from_first_block = settings.encoding_from_first_block;
    job.framing = settings.framing;
    job.code_page = settings.code_page;
    job.filter = {settings.contains, settings.lower_bound, settings.upper_bound};
    job.record_count = static_cast<std::uint32_t>(record_count);
    return job;
}

std::string dbf_done_text(const std::string& name, std::uint64_t replaced) {
    return name + kDbfGeneratedSuffix + replaced_text(replaced);
}

std::size_t dbf_type_table_too_long(const std::vector<RecordTypeTable>& tables,
                                    const std::vector<CarrySpec>& carries) {
    for (std::size_t t = 0; t < tables.size(); ++t) {
        std::int64_t length = 0;
        for (const CarrySpec& c : carries)
            if (c.type != tables[t].value) length += c.field.length;
        for (std::size_t i = 0; i < tables[t].slices.size(); ++i)
            length += dbf_typed_field({}, tables[t].slices[i].length,
                                      i < tables[t].types.size() ? tables[t].types[i] : FieldType{})
                          .length;
        if (length > 254) return t;
    }
    return tables.size();
}

JobSettings dbf_type_settings(const JobSettings& settings) {
    JobSettings dbf;
    dbf.input_path = settings.input_path;
    dbf.strict = settings.strict;
    dbf.trim = settings.trim;
    dbf.encoding = settings.encoding;
    dbf.encoding_from_first_block = settings.encoding_from_first_block;
    dbf.framing = settings.framing;
    dbf.code_page = settings.code_page;
    dbf.contains = settings.contains;
    dbf.lower_bound = settings.lower_bound;
    dbf.upper_bound = settings.upper_bound;
    dbf.output_format = "dbf";
    return dbf;
}

std::string dbf_type_pattern(const JobSettings& settings) {
    return typed_output_pattern(
        dbf_table_name(settings.output_path.empty() ? settings.input_path : settings.output_path));
}

}  // namespace qvr
