#pragma once

#include <string>
#include <vector>

#include "batch/console.h"

namespace qvr {

/// The layout command: reads a layout in one form (a copybook, a csvkit schema, a SAS, SPSS or Stata
/// setup, a field definition file) and writes it in another. It reads its own options, so the commands
/// that cut files keep theirs apart. Returns the exit status.
int run_batch_layout(const std::vector<std::string>& args, const Console& console);

}  // namespace qvr
