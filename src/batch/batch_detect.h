#pragma once

#include "batch/batch_request.h"
#include "batch/console.h"

namespace qvr {

/// quarvel-batch detect: finds the fields of the input and writes them as a field definition file, or
/// to standard output for "--output -". Throws BatchRefusal, FileError.
void run_batch_detect(const BatchRequest& request, const Console& console);

}  // namespace qvr
