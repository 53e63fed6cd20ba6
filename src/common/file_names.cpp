#include "common/file_names.h"

#include <sys/stat.h>

namespace qvr {

bool is_path_separator(char c) { return c == '/'; }

namespace {
std::size_t name_start(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i)
        if (is_path_separator(path[i - 1])) return i;
    return 0;
}
}  // namespace

std::string file_name_of(std::string_view path) { return std::string(path.substr(name_start(path))); }

std::string folder_of(std::string_view path) { return std::string(path.substr(0, name_start(path))); }

std::string with_replaced_extension(std::string_view path, std::string_view new_ending) {
    std::size_t start = name_start(path);
    std::size_t dot = path.rfind('.');
    std::string out(path);
    if (dot != std::string_view::npos && dot >= start) out.resize(dot);
    out += new_ending;
    return out;
}

bool file_exists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

bool same_file(const std::string& a, const std::string& b) {
    if (a == b) return true;
    struct stat sa {
    }, sb{};
    if (a.empty() || b.empty() || ::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace qvr
