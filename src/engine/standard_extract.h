#pragma once

#include "engine/extract_job.h"

namespace qvr {

/// How a standard extract ended when it threw nothing.
enum class ExtractOutcome {
    generated,      ///< the result file is written
    out_of_memory,  ///< the memory ran out all the same; nothing was written
};

/// The standard extract: reads the input as it goes, cuts and filters every line, sorts and drops
/// duplicates as asked, numbers the kept lines in result order, and replaces the result file only once the
/// result is complete (an existing result file survives any failure and a stop). In input order the lines
/// go straight to the new file; sorted, they gather in memory up to what the memory probe allows, and
/// beyond it in sorted runs on disk that are merged into the same bytes. The gauge goes from 15 to below
/// 100; `tally` follows the passed lines. File failures throw FileError, a stop RunStopped.
ExtractOutcome standard_extract(const ExtractJob& job, const ExtractHooks& hooks, RunTally& tally);

}  // namespace qvr
