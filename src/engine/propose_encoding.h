#pragma once

#include <string>

#include "engine/job_settings.h"

namespace qvr {

/// The encoding to propose for the input file at `path`: UTF-8 when the whole file is well-formed UTF-8
/// and holds a character beyond ASCII, else Windows-1252 (also for a file that cannot be read; opening it
/// for the job then tells why). The file is streamed up to its first byte that is no UTF-8, so a
/// Windows-1252 file with accents is known at its first accent.
TextEncoding propose_encoding(const std::string& path);

}  // namespace qvr
