#pragma once

#include <cstdint>
#include <string>

#include "shell/config_file.h"
#include "shell/program_places.h"

namespace qvr {

/// Size and line count of the last input file measured, by the input analysis or the fast extract.
/// They scale the fast extract's gauge and are not tied to a file name.
struct InputStatistics {
    std::int64_t size = 0;
    std::int64_t line_count = 0;
};

/// The values the whole program shares, set at start-up or left by the last run.
struct ProgramValues {
    std::string program_dir;  ///< folder of the program file, ending in a separator
    ProgramPlaces places;     ///< where the configuration, the job log and the help are
    std::string log_path;     ///< the job log: places.log_path
    LinkTexts links;
    std::int64_t generated_line_count = 0;  ///< lines that passed the filter in the last run
    InputStatistics input_statistics;
};

/// What the main window's caption ends in.
inline constexpr const char* kVersionSuffix = " 3.44";

}  // namespace qvr
