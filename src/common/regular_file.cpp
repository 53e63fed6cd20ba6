#include "common/regular_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "common/file_error.h"

namespace qvr {

namespace {

[[noreturn]] void refuse(const std::string& path, const struct stat& st) {
    if (S_ISDIR(st.st_mode)) throw_file_error("Cannot open file", path, EISDIR);
    throw_file_error("Cannot open file", path, std::string_view(kNotARegularFile));
}

// Standard input is a stream the caller chose to send: a pipe or a file, but not a terminal (nobody
// would end it) nor a device (/dev/zero never ends).
int open_standard_input(const std::string& path, struct stat& st) {
    const int fd = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) throw_file_error("Cannot open file", path, errno);
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        throw_file_error("Cannot open file", path, err);
    }
    if (S_ISREG(st.st_mode) || S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) return fd;
    ::close(fd);
    refuse(path, st);
}

}  // namespace

int open_regular_file(const std::string& path, struct stat& st) {
    if (path == kStandardInputPath) return open_standard_input(path, st);
    // Looked at before it is opened: opening a device can have effects of its own.
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) refuse(path, st);
    // Without waiting for a writer, in case a pipe took the file's place since.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) throw_file_error("Cannot open file", path, errno);
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        throw_file_error("Cannot open file", path, err);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        refuse(path, st);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

}  // namespace qvr
