#pragma once

#include <string>
#include <vector>

namespace qvr {

/// What the command line asks of the window program.
struct ProgramOptions {
    enum Action { run, help, version, usage_error };
    Action action = run;
    /// The file to open as File > "Input" would, empty for none.
    std::string input_path;
    /// For a usage error: what was wrong, without the program's name.
    std::string problem;
};

/// Reads the arguments after the program's name. They are read before any window exists, so that --help,
/// --version and a wrong option are answered where there is no display. The toolkit's own options
/// (-platform NAME, -style NAME, -reverse...) are left for the toolkit.
ProgramOptions read_program_options(const std::vector<std::string>& args);

/// The --help text.
std::string program_help_text();

/// The --version line.
std::string program_version_text();

/// What a usage error writes on standard error.
std::string program_usage_error_text(const std::string& problem);

}  // namespace qvr
