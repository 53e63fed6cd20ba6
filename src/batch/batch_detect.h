#pragma once

#include "batch/batch_command.h"
#include "batch/batch_request.h"
#include "batch/console.h"

namespace qvr {

/// The detect command and its options.
const BatchCommandInfo& detect_command();

/// quarvel-batch detect: finds the fields of the input and writes them as a field definition file, or
/// to standard output for "--output -". Throws BatchRefusal, FileError.
void run_batch_detect(const BatchRequest& request, const Console& console);

}  // namespace qvr
