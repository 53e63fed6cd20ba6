#pragma once

#include <string>

namespace qvr {

/// The first thing about the input and output files that stands in the way of a run.
enum class RunFiles {
    input_missing,  ///< the input setting names no existing file (or is empty, or names a folder)
    same_file,      ///< the output is the input, under the same or another spelling
    output_folder,  ///< the output names a folder, which a result can never replace
    output_exists,  ///< the output would be replaced: ask first
    ready,
};

/// Checks the files of a run in the order the user is told about them.
RunFiles check_run_files(const std::string& input_path, const std::string& output_path);

/// The same checks when the result goes to the open descriptor `output_fd` (standard output): nothing is
/// replaced there, but a descriptor that is the input file itself would have the run feed on its own result.
RunFiles check_run_files(const std::string& input_path, int output_fd);

}  // namespace qvr
