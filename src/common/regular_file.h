#pragma once

#include <sys/stat.h>

#include <string>

namespace qvr {

/// The reason given for a path that names something other than a file on disk.
inline constexpr const char* kNotARegularFile = "It is not a regular file";

/// The path that stands for standard input ("--input -" of the front end). It is opened as the stream
/// it is (a pipe or a redirected file, read once, from where it stands), never as a terminal or a device.
inline constexpr const char* kStandardInputPath = "/dev/stdin";

/// Opens `path` for reading, as every reader of the program does: a regular file only. A folder is
/// refused as the system refuses it ("Is a directory"); a pipe, a device or a socket is refused with
/// kNotARegularFile before it is opened, since a pipe that nobody writes to would stop the program in
/// the open or the read for good, a device like /dev/zero never ends, and neither can be read twice
/// (the analysis, the view and the run each read the input anew). Returns the descriptor and fills
/// `st`; kStandardInputPath takes standard input as it is (see there). Throws FileError "Cannot open file
/// <path>. <reason>".
int open_regular_file(const std::string& path, struct stat& st);

}  // namespace qvr
