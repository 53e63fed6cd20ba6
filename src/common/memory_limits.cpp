#include "common/memory_limits.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <limits>
#include <sstream>
#include <string_view>

#include "common/available_memory.h"

namespace qvr {

namespace {

constexpr std::uint64_t kUnknown = std::numeric_limits<std::uint64_t>::max();

std::string file_text(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

/// A number read from a file of the control group; nothing for "max" or a missing file.
std::uint64_t cgroup_value(const std::string& path) {
    std::ifstream in(path);
    std::uint64_t value = 0;
    if (in >> value) return value;
    return kUnknown;
}

/// The smallest room left by the limits from `group` up to `mount`, each limit less its usage.
std::uint64_t left_up_to(const std::string& mount, std::string group, const char* limit_file,
                         const char* usage_file) {
    std::uint64_t left = kUnknown;
    for (;;) {
        const std::string folder = mount + group + "/";
        const std::uint64_t limit = cgroup_value(folder + limit_file);
        const std::uint64_t used = cgroup_value(folder + usage_file);
        if (limit != kUnknown && used != kUnknown) left = std::min(left, used < limit ? limit - used : 0);
        if (group.empty()) return left;
        group.resize(group.rfind('/'));
    }
}

bool has_memory_controller(std::string_view controllers) {
    while (!controllers.empty()) {
        const std::size_t comma = std::min(controllers.find(','), controllers.size());
        if (controllers.substr(0, comma) == "memory") return true;
        controllers.remove_prefix(std::min(comma + 1, controllers.size()));
    }
    return false;
}

}  // namespace

std::uint64_t cgroup_memory_left(const std::string& root) {
    std::istringstream lines(file_text(root + "/proc/self/cgroup"));
    std::uint64_t left = kUnknown;
    std::string line;
    // Lines are "id:controllers:/group"; version 2 has id 0 and no controllers.
    while (std::getline(lines, line)) {
        const std::size_t first = line.find(':');
        const std::size_t second = first == std::string::npos ? first : line.find(':', first + 1);
        if (second == std::string::npos) continue;
        const std::string_view controllers = std::string_view(line).substr(first + 1, second - first - 1);
        std::string group = line.substr(second + 1);
        if (group == "/") group.clear();
        if (controllers.empty()) {
            // Mounted alone, or beside version 1 in "unified".
            const std::string fs = root + "/sys/fs/cgroup";
            const bool alone = ::access((fs + "/cgroup.controllers").c_str(), F_OK) == 0;
            left = std::min(left,
                            left_up_to(alone ? fs : fs + "/unified", group, "memory.max", "memory.current"));
        } else if (has_memory_controller(controllers)) {
            left = std::min(left, left_up_to(root + "/sys/fs/cgroup/memory", group, "memory.limit_in_bytes",
                                             "memory.usage_in_bytes"));
        }
    }
    return left;
}

std::uint64_t memory_left_under(const std::string& root) {
    return std::min(mem_available_of(file_text(root + "/proc/meminfo")), cgroup_memory_left(root));
}

}  // namespace qvr
