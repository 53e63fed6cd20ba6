#pragma once

#include <string>
#include <vector>

#include "batch/console.h"

namespace qvr {

/// The whole front end: runs the command line `args` (without the program's name) and returns the exit
/// status: 0 done, 1 refused or failed (the reason told on the error stream), 2 usage error (with the
/// usage line).
int run_batch(const std::vector<std::string>& args, const Console& console);

}  // namespace qvr
