#include "common/output_file.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/file_error.h"
#include "common/file_names.h"
#include "common/temp_file_cleanup.h"

namespace qvr {

namespace {

/// Opens `path` for writing from the start (`flags` adds O_CREAT or O_APPEND); `name` stands for it in
/// messages. A pipe nobody reads is refused at once ("No such device or address") instead of stopping the
/// program until a reader comes; once open, writes wait as usual.
int open_for_writing(const std::string& path, int flags, const std::string& name) {
    const int truncate = (flags & O_APPEND) ? 0 : O_TRUNC;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | truncate | flags, 0666);
    if (fd < 0) throw_file_error("Cannot create file", name, errno);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

/// A regular file behind another process's descriptor (a shell's "> file" or ">> file") is added to, as
/// that descriptor would write it, instead of being emptied under its owner.
int open_in_place(const OutputTarget& target, int create, const std::string& name) {
    const bool adding = target.exists && S_ISREG(target.st.st_mode) && target.write == TargetWrite::in_place;
    return open_for_writing(target.path, adding ? O_APPEND : create, name);
}

mode_t new_file_mode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

void write_fully(int fd, const char* data, std::size_t size, const std::string& path) {
    while (size > 0) {
        ssize_t done = ::write(fd, data, size);
        if (done < 0) {
            if (errno == EINTR) continue;
            throw_file_error("Cannot write file", path, errno);
        }
        data += done;
        size -= static_cast<std::size_t>(done);
    }
}
}  // namespace

OutputFile::OutputFile(const std::string& path)
    : path_(path), buffer_(std::make_unique_for_overwrite<char[]>(kOutputBufferSize)) {
    fd_ = open_in_place(output_target(path), O_CREAT, path);
}

OutputFile::OutputFile(int fd, std::string path)
    : fd_(fd), path_(std::move(path)), buffer_(std::make_unique_for_overwrite<char[]>(kOutputBufferSize)) {}

std::unique_ptr<OutputFile> OutputFile::borrow(int fd, std::string name) {
    std::unique_ptr<OutputFile> out(new OutputFile(fd, std::move(name)));
    out->owns_fd_ = false;
    return out;
}

OutputFile::~OutputFile() {
    if (fd_ >= 0 && owns_fd_) ::close(fd_);
}

void OutputFile::put(const char* data, std::size_t size) {
    if (!converter_) return write_fully(fd_, data, size, path_);
    converted_.clear();
    converter_->convert(std::string_view(data, size), converted_);
    write_fully(fd_, converted_.data(), converted_.size(), path_);
}

void OutputFile::flush() {
    if (used_ > 0) {
        std::size_t n = used_;
        used_ = 0;
        put(buffer_.get(), n);
    }
}

void OutputFile::end_text() {
    if (!converter_) return;
    converted_.clear();
    converter_->finish(converted_);
    write_fully(fd_, converted_.data(), converted_.size(), path_);
}

void OutputFile::write(std::string_view bytes) {
    // An empty piece may come without any bytes behind it (a null pointer), which memcpy may not be given.
    if (bytes.empty()) return;
    if (bytes.size() > capacity_ - used_) {
        flush();
        if (bytes.size() >= capacity_) {
            put(bytes.data(), bytes.size());
            return;
        }
    }
    std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
}

char* OutputFile::room(std::size_t n) {
    if (n > capacity_ - used_) {
        flush();
        // Only a line longer than the whole buffer makes it grow.
        if (n > capacity_) {
            buffer_ = std::make_unique_for_overwrite<char[]>(n);
            capacity_ = n;
        }
    }
    return buffer_.get() + used_;
}

void OutputFile::write_line(std::string_view bytes, std::string_view line_end) {
    write(bytes);
    write(line_end);
}

void OutputFile::write_at(std::uint64_t offset, std::string_view bytes) {
    flush();
    off_t here = ::lseek(fd_, 0, SEEK_CUR);
    if (here < 0 || ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0)
        throw_file_error("Cannot write file", path_, errno);
    write_fully(fd_, bytes.data(), bytes.size(), path_);
    if (::lseek(fd_, here, SEEK_SET) < 0) throw_file_error("Cannot write file", path_, errno);
}

bool OutputFile::can_seek() const {
    return fd_ >= 0 && !(::fcntl(fd_, F_GETFL) & O_APPEND) && ::lseek(fd_, 0, SEEK_CUR) >= 0;
}

void OutputFile::close() {
    if (fd_ < 0) return;
    flush();
    end_text();
    int fd = fd_;
    fd_ = -1;
    if (owns_fd_ && ::close(fd) != 0) throw_file_error("Cannot write file", path_, errno);
}

std::string SafeFileWriter::temp_name_for(const std::string& name) {
    constexpr std::size_t kNameMax = 255;
    constexpr std::string_view kEnding = ".qvr-XXXXXX";
    return "." + name.substr(0, kNameMax - 1 - kEnding.size()) + std::string(kEnding);
}

namespace {

/// Whether the former file's owner and group can be given to the new file `fd`: tried, then undone,
/// since a file of another owner could not be linked into the folder later.
bool can_give_identity(int fd, const OutputTarget& file) {
    struct stat made {};
    if (!file.exists || ::fstat(fd, &made) != 0) return true;
    if (made.st_uid == file.st.st_uid && made.st_gid == file.st.st_gid) return true;
    if (::fchown(fd, file.st.st_uid, file.st.st_gid) != 0) return false;
    return ::fchown(fd, made.st_uid, made.st_gid) == 0;
}

/// Gives `fd` the owner, group and mode of the former file, or the usual mode of a new file.
void give_identity(int fd, const OutputTarget& file, const std::string& target) {
    if (!file.exists) {
        ::fchmod(fd, new_file_mode());
        return;
    }
    if (::fchown(fd, file.st.st_uid, file.st.st_gid) != 0)
        throw_file_error("Cannot create file", target, errno);
    // After the owner: changing it clears the set-user-ID and set-group-ID bits.
    if (::fchmod(fd, file.st.st_mode & 07777) != 0) throw_file_error("Cannot create file", target, errno);
}

/// Whether `size` bytes can be written into the file `fd` from its start without the disk filling up on
/// the way: the room is taken now, past the file's end, which does not move (a file system that cannot
/// do so has its free room counted instead). 0, or the reason the bytes would not fit.
int reserve_room(int fd, off_t size) {
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        static_cast<rlim_t>(size) > limit.rlim_cur)
        return EFBIG;
    struct stat st {};
    if (::fstat(fd, &st) != 0) return errno;
    if (size == 0) return 0;
    int err = 0;
    while ((err = ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size) == 0 ? 0 : errno) == EINTR) {
    }
    if (err == 0) return 0;
    // What part of the room a failure took is given back: the file keeps its size, and its blocks.
    ::ftruncate(fd, st.st_size);
    if (err != EOPNOTSUPP && err != ENOSYS) return err;
    struct statvfs fs {};
    if (::fstatvfs(fd, &fs) != 0) return errno;
    const auto held = static_cast<std::uint64_t>(st.st_blocks) * 512;
    const auto free = static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
    return static_cast<std::uint64_t>(size) <= held + free ? 0 : ENOSPC;
}

/// O_TMPFILE needs /proc to give the file a name at the end.
int open_unnamed_beside(const std::string& folder) {
    if (::access("/proc/self/fd", X_OK) != 0) return -1;
    return ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
}

}  // namespace

SafeFileWriter::TempFile SafeFileWriter::make_temp_beside(const std::string& target) {
    if (target.empty()) throw_file_error("Cannot create file", target, ENOENT);
    const OutputTarget file = output_target(target);
    TempFile temp;
    temp.write = file.write;
    temp.file = file;
    if (file.write == TargetWrite::in_place) {
        temp.fd = open_in_place(file, 0, target);
        return temp;
    }
    // Renaming needs only the folder's permission; a file its owner made read-only is not to be replaced.
    if (file.exists && ::faccessat(AT_FDCWD, file.path.c_str(), W_OK, AT_EACCESS) != 0)
        throw_file_error("Cannot create file", target, errno);
    const std::string folder = folder_of(file.path);
    temp.fd = open_unnamed_beside(folder);
    temp.unnamed = temp.fd >= 0;
    if (!temp.unnamed) {
        std::string name = folder + temp_name_for(file_name_of(file.path));
        temp.fd = ::mkostemp(name.data(), O_CLOEXEC);
        // A file we may write in a folder we may not: writing into it would lose it on any failure, so it
        // is kept, and the message says why a writable file is refused.
        if (temp.fd < 0 && errno == EACCES && file.exists)
            throw_file_error("Cannot create file", target,
                             std::string_view("Permission denied in its folder, where the new file is made "
                                              "before it replaces this one; the file is kept as it was"));
        if (temp.fd < 0) throw_file_error("Cannot create file", target, errno);
        temp.path = name;
        remove_temp_file_on_signal(temp.path);
    }
    if (!can_give_identity(temp.fd, file)) {
        if (file.st.st_uid != ::geteuid()) {
            ::close(temp.fd);
            if (!temp.path.empty()) {
                ::unlink(temp.path.c_str());
                forget_temp_file(temp.path);
            }
            throw_file_error("Cannot create file", target,
                             std::string_view("Its owner and group cannot be kept by a new file"));
        }
        // Our own file in a group we may not give: written into once complete, so it keeps its group.
        temp.write = TargetWrite::in_place_when_ready;
    }
    return temp;
}

SafeFileWriter::SafeFileWriter(const std::string& target)
    : SafeFileWriter(target, make_temp_beside(target)) {}

SafeFileWriter::SafeFileWriter(const std::string& target, TempFile temp)
    : OutputFile(temp.fd, target), target_(target), temp_(std::move(temp)) {}

void SafeFileWriter::drop_temp_name() {
    if (temp_.path.empty()) return;
    ::unlink(temp_.path.c_str());
    forget_temp_file(temp_.path);
    temp_.path.clear();
}

SafeFileWriter::~SafeFileWriter() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!committed_) drop_temp_name();
}

void SafeFileWriter::name_unnamed() {
    const std::string folder = folder_of(temp_.file.path);
    const std::string from = "/proc/self/fd/" + std::to_string(fd_);
    for (unsigned attempt = 0;; ++attempt) {
        std::string name = folder + temp_name_for(file_name_of(temp_.file.path));
        const unsigned stamp = static_cast<unsigned>(::getpid()) * 7919u + attempt;
        std::snprintf(name.data() + name.size() - 6, 7, "%06x", stamp & 0xFFFFFFu);
        remove_temp_file_on_signal(name);
        if (::linkat(AT_FDCWD, from.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            temp_.path = name;
            return;
        }
        const int err = errno;
        forget_temp_file(name);
        if (err != EEXIST || attempt == 100) throw_file_error("Cannot create file", target_, err);
    }
}

void SafeFileWriter::copy_into_file() {
    struct stat made {};
    if (::fstat(fd_, &made) != 0) throw_file_error("Cannot write file", target_, errno);
    // Opened as it is, not emptied: nothing of the former file goes before the result is known to fit.
    const int to = ::open(temp_.file.path.c_str(), O_WRONLY | O_CLOEXEC);
    if (to < 0) throw_file_error("Cannot create file", target_, errno);
    if (const int err = reserve_room(to, made.st_size); err != 0) {
        ::close(to);
        throw_file_error("Cannot write file", target_,
                         std::string(std::strerror(err)) + ". The file " + target_ + " is kept as it was");
    }
    char block[1 << 16];
    ssize_t n = 0;
    off_t from = 0;
    int err = 0;
    while (err == 0 && (n = ::pread(fd_, block, sizeof block, from)) > 0) {
        for (ssize_t done = 0; err == 0 && done < n;) {
            const ssize_t put = ::pwrite(to, block + done, static_cast<std::size_t>(n - done), from + done);
            if (put < 0 && errno != EINTR) err = errno;
            done += std::max<ssize_t>(put, 0);
        }
        from += n;
    }
    if (err == 0 && n < 0) err = errno;
    if (err == 0 && (::ftruncate(to, made.st_size) != 0 || ::fsync(to) != 0)) err = errno;
    if (::close(to) != 0 && err == 0) err = errno;
    // The room was there: only a fault of the device itself stops the copy midway.
    if (err != 0)
        throw_file_error("Cannot write file", target_,
                         std::string(std::strerror(err)) + ". The file " + target_ + " is incomplete");
}

void SafeFileWriter::ready() {
    if (ready_) return;
    flush();
    end_text();
    if (temp_.write == TargetWrite::replace && ::fsync(fd_) != 0)
        throw_file_error("Cannot write file", target_, errno);
    ready_ = true;
}

void SafeFileWriter::commit() {
    if (!ready_) {
        flush();
        end_text();
    }
    if (temp_.write == TargetWrite::in_place) {
        close();
        committed_ = true;
        return;
    }
    if (temp_.write == TargetWrite::in_place_when_ready) {
        copy_into_file();
        ::close(fd_);
        fd_ = -1;
        drop_temp_name();
        committed_ = true;
        return;
    }
    if (!ready_ && ::fsync(fd_) != 0) throw_file_error("Cannot write file", target_, errno);
    if (temp_.unnamed) name_unnamed();
    give_identity(fd_, temp_.file, target_);
    close();
    if (::rename(temp_.path.c_str(), temp_.file.path.c_str()) != 0)
        throw_file_error("Cannot create file", target_, errno);
    forget_temp_file(temp_.path);
    temp_.path.clear();
    committed_ = true;
}

int open_nameless(const std::string& folder, const std::string& name) {
    const std::string dir = folder.empty() ? "." : folder;
    int fd = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) return fd;
    // Only a system or file system without such files is worth a second way; else the reason is the answer.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        throw_file_error("Cannot create file", name, errno);
    std::string temp = folder + ".quarvel-XXXXXX";
    fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) throw_file_error("Cannot create file", name, errno);
    ::unlink(temp.c_str());
    return fd;
}

void replace_file_safely(const std::string& target, std::string_view bytes) {
    SafeFileWriter out(target);
    out.write(bytes);
    out.commit();
}

}  // namespace qvr
