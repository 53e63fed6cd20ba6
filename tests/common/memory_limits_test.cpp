#include "common/memory_limits.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>
#include <vector>

#include "support/temp_dir.h"

namespace qvr {
namespace {

using Files = std::vector<std::pair<std::string, std::string>>;

const std::string kMeminfo = "MemTotal: 8000 kB\nMemAvailable:    4000 kB\n";  // 4096000 bytes
const std::string kV2 = "/sys/fs/cgroup/";
const std::string kV1 = "/sys/fs/cgroup/memory/";

TEST(MemoryLimits, TheSmallestRoomOfTheSystemAndEveryGroupUpToTheRoot) {
    const struct {
        const char* what;
        Files files;
        std::uint64_t left;
    } cases[] = {
        {"no control group", {}, 4096000},
        {"v2 sub-group below an unlimited parent",
         {{"proc/self/cgroup", "0::/user.slice/run-1.scope\n"},
          {kV2 + "cgroup.controllers", "memory\n"},
          {kV2 + "user.slice/memory.max", "max\n"},
          {kV2 + "user.slice/memory.current", "500\n"},
          {kV2 + "user.slice/run-1.scope/memory.max", "3000\n"},
          {kV2 + "user.slice/run-1.scope/memory.current", "1000\n"}},
         2000},
        {"v2 parent tighter than the group",
         {{"proc/self/cgroup", "0::/a/b\n"},
          {kV2 + "cgroup.controllers", "memory\n"},
          {kV2 + "a/memory.max", "1500\n"},
          {kV2 + "a/memory.current", "1000\n"},
          {kV2 + "a/b/memory.max", "max\n"},
          {kV2 + "a/b/memory.current", "900\n"}},
         500},
        {"v2 group over its limit",
         {{"proc/self/cgroup", "0::/a\n"},
          {kV2 + "cgroup.controllers", "memory\n"},
          {kV2 + "a/memory.max", "100\n"},
          {kV2 + "a/memory.current", "200\n"}},
         0},
        {"v1 memory among other controllers, hybrid v2 without memory",
         {{"proc/self/cgroup", "5:cpu,memory:/jobs/run\n4:pids:/jobs\n0::/\n"},
          {kV1 + "memory.limit_in_bytes", "9223372036854771712\n"},
          {kV1 + "memory.usage_in_bytes", "7000\n"},
          {kV1 + "jobs/run/memory.limit_in_bytes", "10000\n"},
          {kV1 + "jobs/run/memory.usage_in_bytes", "2500\n"}},
         7500},
        {"limits above the system's available memory",
         {{"proc/self/cgroup", "0::/\n"},
          {kV2 + "memory.max", "99999999\n"},
          {kV2 + "memory.current", "1\n"}},
         4096000},
    };
    for (const auto& c : cases) {
        test::TempDir root;
        Files files = c.files;
        files.emplace_back("proc/meminfo", kMeminfo);
        for (const auto& [name, text] : files) {
            std::filesystem::create_directories(std::filesystem::path(root.file(name)).parent_path());
            root.write(name, text);
        }
        EXPECT_EQ(c.left, memory_left_under(root.path())) << c.what;
    }
}

}  // namespace
}  // namespace qvr
