#pragma once

#include "batch/batch_command.h"
#include "batch/batch_request.h"
#include "batch/console.h"

namespace qvr {

/// The dbf command and its options.
const BatchCommandInfo& dbf_command();

/// File > "&Extract .DBF file" without the windows: the table's limits, its name (the input's with ".dbf",
/// or --output), the refusals in the window's order, then the table and its name on the error stream.
/// A refusal throws BatchRefusal, a failure FileError or NotAWholeNumber, for the caller to tell.
void run_batch_dbf(const BatchRequest& request, const Console& console);

}  // namespace qvr
