#pragma once

#include <string>

#include "batch/batch_request.h"

namespace qvr {

/// The usage line of one command, or of all of them for BatchCommand::none, shown with a usage error.
std::string usage_text(BatchCommand command);

/// The --help text: the usage lines, then every option with one line.
std::string help_text();

/// The --version line.
std::string version_text();

}  // namespace qvr
