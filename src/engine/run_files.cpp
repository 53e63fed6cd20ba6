#include "engine/run_files.h"

#include <sys/stat.h>

#include "common/file_names.h"

namespace qvr {

namespace {
bool is_folder(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
}  // namespace

RunFiles check_run_files(const std::string& input_path, const std::string& output_path) {
    // A folder is no input file: it fails like a missing one, before any question.
    if (!file_exists(input_path) || is_folder(input_path)) return RunFiles::input_missing;
    // Another spelling of the input (relative path, link, "..") would have the run overwrite its own
    // input, so it is refused like the same text.
    if (same_file(input_path, output_path)) return RunFiles::same_file;
    if (is_folder(output_path)) return RunFiles::output_folder;
    if (file_exists(output_path)) return RunFiles::output_exists;
    return RunFiles::ready;
}

RunFiles check_run_files(const std::string& input_path, int output_fd) {
    if (!file_exists(input_path) || is_folder(input_path)) return RunFiles::input_missing;
    struct stat in {
    }, out{};
    if (::stat(input_path.c_str(), &in) == 0 && ::fstat(output_fd, &out) == 0 && in.st_dev == out.st_dev &&
        in.st_ino == out.st_ino)
        return RunFiles::same_file;
    return RunFiles::ready;
}

}  // namespace qvr
