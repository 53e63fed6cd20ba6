#pragma once

#include "batch/batch_request.h"
#include "batch/console.h"

namespace qvr {

/// File > "Analyse input" without the windows: the report's lines on standard output.
void run_batch_analyse(const BatchRequest& request, const Console& console);

}  // namespace qvr
