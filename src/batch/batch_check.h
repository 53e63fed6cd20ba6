#pragma once

#include "batch/batch_command.h"
#include "batch/batch_request.h"
#include "batch/console.h"

namespace qvr {

/// The check command and its options.
const BatchCommandInfo& check_command();

/// quarvel-batch check: writes the report of how the layout fits the input to standard output; true
/// when it found a problem. Throws BatchRefusal, FileError, NotAWholeNumber.
bool run_batch_check(const BatchRequest& request, const Console& console);

}  // namespace qvr
