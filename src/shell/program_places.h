#pragma once

#include <functional>
#include <string>

namespace qvr {

/// Where the program finds and keeps its own files.
struct ProgramPlaces {
    std::string config_path;  ///< QVR32.CFG, read when present
    std::string log_path;     ///< QVR32.LOG, the job log
    std::string help_path;    ///< QVR32.HLP
    std::string dialog_dir;   ///< the first folder of the file dialogs, ending in "/"
};

/// Reads one environment variable; null when it is not set.
using EnvironmentLookup = std::function<const char*(const char*)>;

/// The places for a program in `program_dir` (ending in "/"). A portable copy (a folder the user may
/// write, with the help file beside the program) keeps everything beside the program. An installed copy
/// (a folder the user may not write, or a help file under `../share/quarvel/`) cannot keep its job log
/// there: the log goes to the user's state folder, the configuration is taken from the user's
/// configuration folder when one is there, and the dialogs start in the home folder.
ProgramPlaces program_places(const std::string& program_dir, const EnvironmentLookup& env);

/// The same, with the process's environment.
ProgramPlaces program_places(const std::string& program_dir);

/// Makes the folders above `path` that do not exist yet (as `mkdir -p`, mode 0700 for new ones), so the
/// first save of a per-user job log finds its folder; a failure is left for that save to report.
void make_parent_folders(const std::string& path);

}  // namespace qvr
