#pragma once

#include "batch/batch_request.h"
#include "batch/console.h"

namespace qvr {

/// An extract with --records: the tables of each --layout VALUE=FILE, the --carry fields found in them, one
/// pass writing a result per type, then a line per result and what records had no table. Returns the exit
/// status: 1 when some records had no table (their counts told), else 0. Refusals and failures throw, as
/// run_batch_extract() does, and leave every former result.
int run_typed_extract(const BatchRequest& request, const Console& console);

}  // namespace qvr
