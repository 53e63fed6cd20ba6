#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qvr {

/// The lines of a stored job log. A line ends at CR LF, at a lone CR or at a lone LF (a text box knows no
/// other line break); every other byte, NUL included, stays in its line, so nothing is lost on the way
/// back to the file. A line end at the very end makes no empty last line.
std::vector<std::string> job_log_lines(std::string_view bytes);

/// The bytes of the log file for `lines`: each line followed by CR LF, as every file the program writes.
std::string job_log_bytes(const std::vector<std::string>& lines);

/// The whole stored log at `path`. Only a regular file is read: opening anything else (a pipe) could wait
/// for ever. Throws FileError when it cannot be read, std::bad_alloc when it does not fit in memory.
std::string load_job_log(const std::string& path);

/// Moves whatever stands at `path` to a free name beside it that says why,
/// "<path>.unreadable-<stamp>" (then "-2", "-3"... when taken), and returns that name, so that a log the
/// program could not read is never replaced by the empty one it starts with. Throws FileError
/// "Cannot rename file <path>. <reason>" when it cannot be moved.
std::string set_aside_unreadable(const std::string& path, std::string_view stamp);

}  // namespace qvr
