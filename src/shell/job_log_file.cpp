#include "shell/job_log_file.h"

#include <fcntl.h>

#include <cerrno>
#include <cstdio>

#include "common/file_error.h"
#include "common/file_names.h"
#include "common/line_scan.h"
#include "common/whole_text.h"

namespace qvr {

std::vector<std::string> job_log_lines(std::string_view bytes) {
    std::vector<std::string> lines;
    TextLines text(bytes);
    std::string_view line;
    while (text.next(line)) lines.emplace_back(line);
    return lines;
}

std::string job_log_bytes(const std::vector<std::string>& lines) {
    std::size_t size = 0;
    for (const std::string& line : lines) size += line.size() + 2;
    std::string bytes;
    bytes.reserve(size);
    for (const std::string& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

std::string load_job_log(const std::string& path) { return load_whole_file(path); }

namespace {
// Renames without ever replacing a file that is already there; false when `to` is taken.
bool rename_to_free_name(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno == EEXIST) return false;
    if (errno != EINVAL && errno != ENOSYS) throw_file_error("Cannot rename file", from, errno);
    // A file system that cannot refuse to replace: look first.
    if (file_exists(to)) return false;
    if (::rename(from.c_str(), to.c_str()) != 0) throw_file_error("Cannot rename file", from, errno);
    return true;
}
}  // namespace

std::string set_aside_unreadable(const std::string& path, std::string_view stamp) {
    const std::string base = path + ".unreadable-" + std::string(stamp);
    for (int n = 1; n <= 1000; ++n) {
        std::string aside = n == 1 ? base : base + "-" + std::to_string(n);
        if (rename_to_free_name(path, aside)) return aside;
    }
    throw_file_error("Cannot rename file", path, EEXIST);
}

}  // namespace qvr
