#include "engine/run_files.h"

#include "common/file_names.h"

namespace qvr {

RunFiles check_run_files(const std::string& input_path, const std::string& output_path) {
    if (!file_exists(input_path)) return RunFiles::input_missing;
    // Another spelling of the input (relative path, link, "..") would have the run overwrite its own
    // input, so it is refused like the same text.
    if (same_file(input_path, output_path)) return RunFiles::same_file;
    if (file_exists(output_path)) return RunFiles::output_exists;
    return RunFiles::ready;
}

}  // namespace qvr
