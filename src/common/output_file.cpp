#include "common/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "common/file_error.h"
#include "common/file_names.h"

namespace qvr {

namespace {

/// Opens `path` for writing from the start. A pipe nobody reads is refused at once ("No such device or
/// address") instead of stopping the program until a reader comes; once open, writes wait as usual.
int open_for_writing(const std::string& path, int create) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NONBLOCK | create, 0666);
    if (fd < 0) throw_file_error("Cannot create file", path, errno);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
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
    fd_ = open_for_writing(path, O_CREAT);
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

void OutputFile::flush() {
    if (used_ > 0) {
        std::size_t n = used_;
        used_ = 0;
        write_fully(fd_, buffer_.get(), n, path_);
    }
}

void OutputFile::write(std::string_view bytes) {
    if (bytes.size() > capacity_ - used_) {
        flush();
        if (bytes.size() >= capacity_) {
            write_fully(fd_, bytes.data(), bytes.size(), path_);
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

void OutputFile::write_line(std::string_view bytes) {
    write(bytes);
    write("\r\n");
}

void OutputFile::write_at(std::uint64_t offset, std::string_view bytes) {
    flush();
    off_t here = ::lseek(fd_, 0, SEEK_CUR);
    if (here < 0 || ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0)
        throw_file_error("Cannot write file", path_, errno);
    write_fully(fd_, bytes.data(), bytes.size(), path_);
    if (::lseek(fd_, here, SEEK_SET) < 0) throw_file_error("Cannot write file", path_, errno);
}

void OutputFile::close() {
    if (fd_ < 0) return;
    flush();
    int fd = fd_;
    fd_ = -1;
    if (owns_fd_ && ::close(fd) != 0) throw_file_error("Cannot write file", path_, errno);
}

SafeFileWriter::TempFile SafeFileWriter::make_temp_beside(const std::string& target) {
    if (target.empty()) throw_file_error("Cannot create file", target, ENOENT);
    // A device or a pipe is written in place: renaming a file over it would replace the device itself.
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode) && !S_ISDIR(existing.st_mode))
        return {open_for_writing(target, 0), ""};
    // Renaming needs only the folder's permission; a file its owner made read-only is not to be replaced.
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0 && errno != ENOENT)
        throw_file_error("Cannot create file", target, errno);
    std::string temp_path = folder_of(target) + "." + file_name_of(target) + ".qvr-XXXXXX";
    std::vector<char> name(temp_path.begin(), temp_path.end());
    name.push_back('\0');
    int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) throw_file_error("Cannot create file", target, errno);
    temp_path.assign(name.data());
    // Keep the permissions of the file being replaced; a new file gets the usual ones.
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        ::fchmod(fd, st.st_mode & 07777);
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    return {fd, temp_path};
}

SafeFileWriter::SafeFileWriter(const std::string& target)
    : SafeFileWriter(target, make_temp_beside(target)) {}

SafeFileWriter::SafeFileWriter(const std::string& target, TempFile temp)
    : OutputFile(temp.fd, target), target_(target), temp_path_(std::move(temp.path)) {}

SafeFileWriter::~SafeFileWriter() {
    if (!committed_) {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
        if (!temp_path_.empty()) ::unlink(temp_path_.c_str());
    }
}

void SafeFileWriter::commit() {
    flush();
    if (temp_path_.empty()) {
        close();
        committed_ = true;
        return;
    }
    if (::fsync(fd_) != 0) throw_file_error("Cannot write file", target_, errno);
    close();
    if (::rename(temp_path_.c_str(), target_.c_str()) != 0)
        throw_file_error("Cannot create file", target_, errno);
    committed_ = true;
}

void replace_file_safely(const std::string& target, std::string_view bytes) {
    SafeFileWriter out(target);
    out.write(bytes);
    out.commit();
}

}  // namespace qvr
