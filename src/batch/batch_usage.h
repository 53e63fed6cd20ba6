#pragma once

#include <string>

#include "batch/batch_request.h"

namespace qvr {

/// The usage line of one command, or of all of them for BatchCommand::none, shown with a usage error.
std::string usage_text(BatchCommand command);

/// The --help text: the usage lines and what each command does.
std::string help_text();

/// The help of one command ("extract --help"): its usage line, then each of its options with what it does.
std::string command_help_text(BatchCommand command);

/// The --version line.
std::string version_text();

/// The manual page of the front end: `page`, a roff page, with its marks filled from the commands'
/// declarations: "@SYNOPSIS@" (a line) by their usage lines, "@COMMANDS@" (a line) by a section of
/// each command and its options, "@VERSION@" by the version.
std::string manual_page(std::string page);

}  // namespace qvr
