#pragma once

#include "engine/extract_job.h"

namespace qvr {

/// How a standard extract ended when it threw nothing.
enum class ExtractOutcome {
    generated,      ///< the result file is written
    out_of_memory,  ///< the input is too big for the memory; nothing was written
};

/// The standard extract: loads the whole input, cuts and filters every line, sorts and drops duplicates
/// as asked, numbers the kept lines in result order, and replaces the result file only once the result
/// is complete (an existing result file survives any failure). Before loading it compares what the
/// input needs with the memory available, and a memory shortage later gives the same outcome.
/// The gauge goes from 15 to below 100; `tally` follows the passed lines. File failures throw FileError.
ExtractOutcome standard_extract(const ExtractJob& job, const ExtractHooks& hooks, RunTally& tally);

}  // namespace qvr
