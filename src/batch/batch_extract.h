#pragma once

#include "batch/batch_command.h"
#include "batch/batch_request.h"
#include "batch/console.h"
#include "batch/progress_bar.h"
#include "engine/extract_job.h"
#include "engine/memory_check.h"

namespace qvr {

/// The name that stands for standard output in "--output -" and in messages about it.
inline constexpr const char* kStandardOutputName = "standard output";

/// The extract command and its options.
const BatchCommandInfo& extract_command();

/// What an extract's run is given on the console: the progress bar as its gauge, the memory --memory
/// leaves it, and Ctrl+C as its stop, which ends it as a failure does (the former result stays, no
/// temporary file is left).
struct ConsoleRunHooks {
    ConsoleRunHooks(const BatchRequest& request, const Console& console);
    ProgressBar bar;
    CappedMemory memory;
    ExtractHooks hooks;
};

/// File > "&Go" without the windows: the checks in the window's order, then the standard or the fast
/// extract into the result file or standard output, and the generated-line count on the error stream.
/// A refusal throws BatchRefusal, a failure of a file FileError (and the like), for the caller to tell.
void run_batch_extract(const BatchRequest& request, const Console& console);

}  // namespace qvr
