#pragma once

#include <string>

#include "engine/extract_job.h"
#include "shell/config_file.h"
#include "shell/program_places.h"

namespace qvr {

/// The values the whole program shares, set at start-up or left by the last run.
struct ProgramValues {
    std::string program_dir;  ///< folder of the program file, ending in a separator
    ProgramPlaces places;     ///< where the configuration, the job log and the help are
    std::string log_path;     ///< the job log: places.log_path
    LinkTexts links;
    /// The last run's generated-line count and the last input measured (by the analysis or the fast
    /// extract), which scales the fast extract's gauge and is not tied to a file name.
    RunTally tally;
};

/// What the main window's caption ends in.
inline constexpr const char* kVersionSuffix = " 3.44";

}  // namespace qvr
