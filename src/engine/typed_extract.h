#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/extract_job.h"
#include "engine/record_types.h"

namespace qvr {

/// The field table of one record type.
struct RecordTypeTable {
    std::string value;  ///< the type value; kOtherTypes takes the types without a table
    std::vector<FieldSlice> slices;
    std::vector<std::string> names;
};

/// A standard extract of records of several types: each type's records cut by its own table into its own
/// result, named by `output_pattern` with "{type}" standing for the type value (type_file_name()).
struct TypedExtractJob {
    ExtractJob job;  ///< everything but the fields and the result's name; input order only
    FieldSlice type_columns;
    std::vector<RecordTypeTable> tables;
    std::vector<CarrySpec> carries;
    std::string output_pattern;
};

/// What a typed run leaves.
struct TypedTally {
    std::vector<std::string> outputs;   ///< each table's result file
    std::vector<std::int64_t> written;  ///< each table's lines written
    std::uint64_t unknown = 0;          ///< records of a type without a table
    std::string unknown_text;           ///< RecordRouter::unknown_types_text()
    std::uint64_t replaced_chars = 0;
};

/// Reads the input once, routing each record to its type's table; every result is written beside its
/// file and all are replaced together once every one is complete, so a failure or a stop leaves all the
/// former ones. Throws FileError, UserError (RecordRouter's refusals), RunStopped.
void typed_extract(const TypedExtractJob& job, const ExtractHooks& hooks, TypedTally& tally);

}  // namespace qvr
