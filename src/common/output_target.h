#pragma once

#include <sys/stat.h>

#include <string>

namespace qvr {

/// How a result reaches the file its path names.
enum class TargetWrite {
    /// A new file beside it, renamed over it once complete (or simply made, when nothing is there).
    replace,
    /// A file whose identity a new file would not keep (several hard links, a group we cannot give):
    /// the result is made complete beside it first and only then written into it.
    in_place_when_ready,
    /// A device, a pipe, a descriptor of a process (standard output): written as the bytes come, since
    /// renaming a file over it would replace the device or cut the descriptor's owner off.
    in_place,
};

/// What a path names as a place to write, for every writer of the program (the safe replacement and the
/// fast extract alike).
struct OutputTarget {
    /// The file itself: the final target of a symbolic link (written through, never replaced), else the
    /// path as given.
    std::string path;
    TargetWrite write = TargetWrite::replace;
    bool exists = false;
    struct stat st {};  ///< what stands at `path`, when it exists
};

/// Resolves `path` into the place to write. Never throws: a path that cannot be looked at is returned
/// as given, and opening it then reports the system's reason.
OutputTarget output_target(const std::string& path);

}  // namespace qvr
