#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dbase/dbf_export.h"
#include "dbase/dbf_limits.h"
#include "engine/job_settings.h"
#include "engine/typed_extract.h"
#include "fields/field_table.h"

namespace qvr {

// The texts the dBase export shows, exactly as the user knows them.
inline constexpr const char* kDbfTooManyRecordsText = "DBF file: not more than 16,700,000 records";
inline constexpr const char* kDbfFieldsTooLongText = "Total fields length: not more than 254";
inline constexpr const char* kDbfSameAsInputText = "Input and DBF files must be different.";
inline constexpr const char* kDbfGeneratedSuffix = " generated";
inline constexpr const char* kDbfTypesGeneratedText = "DBF files generated, one per record type:";

/// Checks a field table against the limits of a dBase table announced with `record_count` records
/// (see check_dbf_limits); a "Length" cell that is not a whole number throws NotAWholeNumber.
DbfLimits check_dbf_table(std::int64_t record_count, const FieldTable& table);

/// What the user is told about a refused table; empty when it was not refused.
std::string dbf_refusal_text(const DbfLimits& limits);

/// What the user is told when the table `name` is written: its name and " generated", and how many
/// characters were replaced by "?" when any were.
std::string dbf_done_text(const std::string& name, std::uint64_t replaced);

/// The table's proposed file name: the input path with ".dbf" in place of its file name's extension.
std::string dbf_table_name(const std::string& input_path);

/// The export of `table` with the input, trim and filter texts of `settings`, written to `target`; one
/// column per row with the checked `lengths`, the start positions kept as texts for the export to read.
DbfExportJob dbf_export_job(const FieldTable& table, const JobSettings& settings,
                            const std::vector<std::int32_t>& lengths, std::int64_t record_count,
                            std::string target);

/// The first of `tables` whose record, its carried fields and its own, would be longer than the 254 bytes
/// a dBase record holds; tables.size() when none is.
std::size_t dbf_type_table_too_long(const std::vector<RecordTypeTable>& tables,
                                    const std::vector<CarrySpec>& carries);

/// The settings of a dBase table per record type: the input, its framing and encoding, the trim, the
/// strictness and the filter of `settings`; no sorting, sample or numbers, as the one-table export.
JobSettings dbf_type_settings(const JobSettings& settings);

/// The names of the tables per record type beside the result: the output's name (the input's when none
/// is given) with ".dbf", {type} in it as the result's pattern has it (typed_output_pattern()).
std::string dbf_type_pattern(const JobSettings& settings);

}  // namespace qvr
