#include "common/output_target.h"

#include <unistd.h>

#include <climits>
#include <string_view>

#include "common/file_names.h"

namespace qvr {

namespace {

/// The kernel's own bound on links in a row.
constexpr int kMaxLinks = 40;

bool is_process_descriptor(std::string_view path) { return path.starts_with("/proc/"); }

}  // namespace

OutputTarget output_target(const std::string& path) {
    OutputTarget target{path};
    bool through_process = is_process_descriptor(path);
    // A descriptor's link in /proc is left to the kernel: its text ("pipe:[...]") is no path.
    for (int hops = 0; hops < kMaxLinks && !through_process; ++hops) {
        struct stat link {};
        if (::lstat(target.path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) break;
        char text[PATH_MAX];
        const ssize_t n = ::readlink(target.path.c_str(), text, sizeof text);
        if (n <= 0 || n >= static_cast<ssize_t>(sizeof text)) break;
        const std::string_view to(text, static_cast<std::size_t>(n));
        // /dev/stdout and /dev/fd/N lead through /proc to a descriptor some process holds open.
        if (is_process_descriptor(to)) through_process = true;
        target.path = to.front() == '/' ? std::string(to) : folder_of(target.path) + std::string(to);
    }
    target.exists = ::stat(target.path.c_str(), &target.st) == 0;
    if (!target.exists) return target;
    struct stat out {};
    const bool is_standard_output =
        ::fstat(STDOUT_FILENO, &out) == 0 && out.st_dev == target.st.st_dev && out.st_ino == target.st.st_ino;
    if (through_process || is_standard_output || (!S_ISREG(target.st.st_mode) && !S_ISDIR(target.st.st_mode)))
        target.write = TargetWrite::in_place;
    else if (S_ISREG(target.st.st_mode) && target.st.st_nlink > 1)
        target.write = TargetWrite::in_place_when_ready;
    return target;
}

}  // namespace qvr
