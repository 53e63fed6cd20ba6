#pragma once

// Real faults for tests: a disk that fills, permissions that hold for root too, pipes, devices, huge
// files that take no room, and a guard against a test that would wait for ever.

#include <fcntl.h>
#include <linux/capability.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>

namespace qvr::test {

/// While it lives, files this process writes cannot grow past `bytes`: a write beyond fails with "File too
/// large", as a full disk fails a write, whoever runs the tests.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_limit_);
        struct rlimit small = old_limit_;
        small.rlim_cur = bytes;
        old_handler_ = ::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_limit_);
        ::signal(SIGXFSZ, old_handler_);
    }

  private:
    struct rlimit old_limit_ {};
    sighandler_t old_handler_ = SIG_DFL;
};

/// While it lives, this process may open only `more` descriptors beside those open now: the limit leaves
/// that many unused numbers below it.
class DescriptorLimit {
  public:
    explicit DescriptorLimit(rlim_t more) {
        ::getrlimit(RLIMIT_NOFILE, &old_limit_);
        rlim_t limit = 0;
        for (rlim_t free = 0; free < more; ++limit)
            free += ::fcntl(static_cast<int>(limit), F_GETFD) < 0 ? 1 : 0;
        struct rlimit small = old_limit_;
        small.rlim_cur = limit;
        ::setrlimit(RLIMIT_NOFILE, &small);
    }
    ~DescriptorLimit() { ::setrlimit(RLIMIT_NOFILE, &old_limit_); }

  private:
    struct rlimit old_limit_ {};
};

/// While it lives, the permissions of files and folders hold for this thread even when the tests run as
/// root: the capabilities that override them are taken out of its effective set, and put back after.
class PermissionsHold {
  public:
    /// `also` takes more capabilities out, e.g. 1u << CAP_CHOWN for an owner that cannot be given away.
    explicit PermissionsHold(std::uint32_t also = 0) {
        ::syscall(SYS_capget, &header_, saved_);
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[0].effective &=
            ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER) | also);
        ::syscall(SYS_capset, &header_, reduced);
    }
    ~PermissionsHold() { ::syscall(SYS_capset, &header_, saved_); }

  private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2] = {};
};

/// Ends the test process if the test is still running after `seconds`: a read that waits for a writer
/// that never comes then fails the test instead of stopping the suite.
struct HangGuard {
    explicit HangGuard(unsigned seconds) { ::alarm(seconds); }
    ~HangGuard() { ::alarm(0); }
};

/// Fails the test's preparation loudly rather than letting it test something else; else returns `path`.
inline std::string prepared(bool done, const std::string& path) {
    if (!done) throw std::runtime_error("cannot prepare " + path);
    return path;
}

/// Make at `path` a named pipe that nobody writes to or reads from, a link to `target` (a device such as
/// /dev/zero), a folder with `mode`; each returns `path`.
inline std::string make_fifo(const std::string& path) {
    return prepared(::mkfifo(path.c_str(), 0644) == 0, path);
}
inline std::string make_link(const std::string& path, const char* target) {
    return prepared(::symlink(target, path.c_str()) == 0, path);
}
inline std::string make_folder(const std::string& path, mode_t mode = 0755) {
    return prepared(::mkdir(path.c_str(), mode) == 0 && ::chmod(path.c_str(), mode) == 0, path);
}

/// Makes `path` a file of `size` bytes that takes no room on disk: `head` at its start, `tail` at its end
/// and byte 0 everywhere between. Returns `path`.
inline std::string make_sparse_file(const std::string& path, std::int64_t size, const std::string& head,
                                    const std::string& tail) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const bool done = fd >= 0 && ::ftruncate(fd, size) == 0 &&
                      ::pwrite(fd, head.data(), head.size(), 0) == static_cast<ssize_t>(head.size()) &&
                      ::pwrite(fd, tail.data(), tail.size(), size - static_cast<std::int64_t>(tail.size())) ==
                          static_cast<ssize_t>(tail.size());
    ::close(fd);
    return prepared(done, path);
}

/// `text` written `times` times in a row.
inline std::string repeated(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

/// Bytes `from` to `to`, both included.
inline std::string bytes(int from, int to) {
    std::string out;
    for (int b = from; b <= to; ++b) out += static_cast<char>(b);
    return out;
}

/// Starts a new peak for peak_memory(), at the memory held now.
inline void reset_peak_memory() { std::ofstream("/proc/self/clear_refs") << "5"; }

/// The most memory this process has held at once since it started or since reset_peak_memory(), in bytes.
inline std::int64_t peak_memory() {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stoll(line.substr(6)) * 1024;
    return 0;
}

}  // namespace qvr::test
