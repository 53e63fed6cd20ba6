#pragma once

#include "batch/batch_command.h"
#include "batch/batch_request.h"
#include "batch/console.h"

namespace qvr {

/// The analyse command and its options.
const BatchCommandInfo& analyse_command();

/// File > "Analyse input" without the windows: the report's three or four lines on standard output. A
/// file that cannot be read throws FileError for the caller to tell.
void run_batch_analyse(const BatchRequest& request, const Console& console);

}  // namespace qvr
