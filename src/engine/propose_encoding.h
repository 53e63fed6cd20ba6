#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engine/job_settings.h"

namespace qvr {

/// The proposal reads at most these bytes of the input: its start, and its last block, where the lines
/// added last to a file (a log, an export appended to) may be in another encoding.
inline constexpr std::uint64_t kProposalHeadBytes = std::uint64_t{64} << 20;
inline constexpr std::uint64_t kProposalTailBytes = std::uint64_t{64} << 10;

/// The encoding to propose for the input file at `path`: UTF-8 for a file that begins with the UTF-8
/// byte order mark, or whose sample reads as UTF-8 (Utf8Tally::reads_as_utf8()); else Windows-1252 (also
/// for a file that cannot be read; opening it for the job then tells why). The sample is the file's first
/// kProposalHeadBytes and its last kProposalTailBytes, of the size it had when opened, so a file of any
/// size is judged at once and a growing one is not chased; a contradiction beyond the sample is found by
/// the run (encoding_line()). `between_blocks` (may be empty) is called after each block read, so that a
/// window takes its events and a stop (thrown from it) ends the reading.
TextEncoding propose_encoding(const std::string& path, const std::function<void()>& between_blocks = {});

}  // namespace qvr
