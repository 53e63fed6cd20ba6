#pragma once

#include <set>
#include <string>

#include "batch/batch_command.h"
#include "batch/batch_request.h"
#include "batch/console.h"

namespace qvr {

// The options of files of several record types, for the commands that cut records into a result per type.
extern const BatchOption kTypedLayoutOption;
extern const BatchOption kRecordsOption;
extern const BatchOption kCarryOption;

/// The rules of a run of several record types (tables given by type, results told apart by {type}, or
/// tables of `one_file`, a database); without --records, that no option of it is given. Throws UsageError.
void check_record_types(const BatchRequest& r, const std::set<std::string>& given, bool one_file);

/// An extract or a dBase export with --records: the tables of each --layout VALUE=FILE, the --carry fields
/// found in them, one pass writing a result per type, then a line per result and what records had no table.
/// Returns the exit status: 1 when some records had no table (their counts told), else 0. Refusals and
/// failures throw, as run_batch_extract() does, and leave every former result.
int run_typed_extract(const BatchRequest& request, const Console& console);

/// Takes a --layout of extract. A layout-set file stands for what it holds: its type columns as --records
/// (unless given), a --layout VALUE=FILE per table (read back from the set) and a --carry per carry.
/// Throws BatchRefusal for a set that cannot be read.
void read_layout_option(BatchRequest& request, const std::string& value);

}  // namespace qvr
