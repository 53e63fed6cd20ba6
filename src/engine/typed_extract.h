#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/extract_job.h"
#include "engine/record_types.h"
#include "fields/layout_set.h"

namespace qvr {

/// The field table of one record type.
struct RecordTypeTable {
    std::string value;  ///< the type value; kOtherTypes takes the types without a table
    std::vector<FieldSlice> slices;
    std::vector<std::string> names;
    std::vector<FieldType> types;  ///< one per slice; empty: all text
    std::string output_table;      ///< the table or sheet its records go to; empty: the job's
};

/// A standard extract of records of several types: each type's records cut by its own table into its own
/// result, named by `output_pattern` with "{type}" standing for the type value (type_file_name()). The
/// job's output (separated text, or one of output_formats()) is made for each type; an output that holds
/// several tables in one file (a database) takes them all when the pattern has no "{type}".
struct TypedExtractJob {
    ExtractJob job;  ///< everything but the fields and the result's name
    FieldSlice type_columns;
    std::vector<RecordTypeTable> tables;
    std::vector<CarrySpec> carries;
    std::string output_pattern;
};

/// What a typed run leaves.
struct TypedTally {
    std::vector<std::string> outputs;       ///< each table's result file
    std::vector<std::int64_t> written;      ///< each table's records written
    std::vector<BadValueTally> bad_values;  ///< each table's values its types could not read
    std::vector<std::string> notes;         ///< each output's closing_note()
    std::uint64_t unknown = 0;              ///< records of a type without a table
    std::string unknown_text;               ///< RecordRouter::unknown_types_text()
    std::uint64_t replaced_chars = 0;
    TextEncoding encoding = TextEncoding::cp1252;  ///< what the run cut in
    bool input_grew = false;                       ///< the input grew while read; only its former size was
    Utf8Tally input_text{};                        ///< what a text input held as UTF-8 (encoding_line())
};

/// The tables, type columns and carries of `set` for `job`: each table's slices and names, each carry's
/// field found by its name in its type's table. Throws UserError naming the type and the row of a field
/// whose start or length reads 0, a table without rows, or a carry whose type or field is not there.
void take_layout_set(const LayoutSet& set, TypedExtractJob& job);

/// Reads the input once, routing each record to its type's table; each table's records are sorted and
/// made unique as the job asks, on their own. Every result is written beside its file (a database's
/// tables in one transaction) and all are put in place together once every one is complete, so a
/// failure, a stop or a strict job's bad value leaves all the former ones. Throws FileError, UserError
/// (RecordRouter's refusals, BadValuesRefused), RunStopped.
void typed_extract(const TypedExtractJob& job, const ExtractHooks& hooks, TypedTally& tally);

/// The names of a table's fields as a typed run's reports name them: "Amount (type 6)".
std::vector<std::string> type_field_names(const RecordTypeTable& table);

}  // namespace qvr
