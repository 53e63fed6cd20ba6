#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/file_faults.h"
#include "support/temp_dir.h"

namespace qvr::test {

/// A place a command cannot write its file to, in a folder holding the former file "former.<ext>" and the
/// folder "taken.<ext>", and the system's reason for it.
struct UnwritablePlace {
    const char* target;  ///< "former.<ext>", "taken.<ext>", a name in a missing folder, or a device
    const char* action;  ///< "create" or "write"
    const char* reason;
    mode_t former_mode = 0644;
    rlim_t file_size_limit = RLIM_INFINITY;
    std::string leaves{};  ///< what the former file holds after, when it is not what it held before
};

/// For each place, `write(path, error)` scripts the boxes (`error` is the general error it must show) and
/// picks the command while the permissions hold and the file size limit of the place stands. Then the
/// folder holds the former file and no temporary one, and `after(path)` checks what the command keeps.
template <class Write, class After>
void expect_unwritable_places_kept(const std::string& ext, const std::string& former,
                                   const std::vector<UnwritablePlace>& places, Write write, After after) {
    const std::string former_name = "former." + ext;
    for (const UnwritablePlace& c : places) {
        TempDir place;
        ::chmod(place.write(former_name, former).c_str(), c.former_mode);
        make_folder(place.file("taken." + ext));
        const std::string path = (std::filesystem::path(place.path()) / c.target).string();
        {
            const PermissionsHold permissions;
            const FileSizeLimit limit(c.file_size_limit);
            write(path, "Cannot " + std::string(c.action) + " file " + path + ". " + c.reason + ".");
        }
        EXPECT_EQ(former_name + " taken." + ext, list_folder(place.path())) << path;
        EXPECT_EQ(c.leaves.empty() ? former : c.leaves, read_file(place.file(former_name))) << path;
        after(path);
    }
}

}  // namespace qvr::test
