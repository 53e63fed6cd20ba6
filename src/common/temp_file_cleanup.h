#pragma once

#include <string>

namespace qvr {

/// Has the named temporary file `path` removed when SIGINT, SIGTERM or SIGHUP ends the process before
/// forget_temp_file(), so an interrupted run leaves no file behind; the process then ends with the
/// signal as it would have anyway. A signal this process ignores or handles itself is left alone.
void remove_temp_file_on_signal(const std::string& path);

/// The file at `path` is renamed or removed: a signal no longer removes it.
void forget_temp_file(const std::string& path);

}  // namespace qvr
