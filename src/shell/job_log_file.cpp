#include "shell/job_log_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "common/file_error.h"
#include "common/file_names.h"
#include "common/line_reader.h"
#include "common/output_file.h"
#include "common/output_target.h"

namespace qvr {

void KnownLines::seal() {
    std::sort(hashes_.begin(), hashes_.end());
    counts_.clear();
    std::size_t distinct = 0;
    for (std::size_t i = 0; i < hashes_.size(); ++i) {
        if (distinct > 0 && hashes_[distinct - 1] == hashes_[i]) {
            ++counts_.back();
            continue;
        }
        hashes_[distinct++] = hashes_[i];
        counts_.push_back(1);
    }
    hashes_.resize(distinct);
    hashes_.shrink_to_fit();
    counts_.shrink_to_fit();
}

bool KnownLines::take(std::string_view line) {
    const std::uint64_t h = hash(line);
    const auto at = std::lower_bound(hashes_.begin(), hashes_.end(), h);
    if (at == hashes_.end() || *at != h) return false;
    std::uint32_t& left = counts_[static_cast<std::size_t>(at - hashes_.begin())];
    if (left == 0) return false;
    --left;
    return true;
}

std::uint64_t KnownLines::hash(std::string_view line) { return std::hash<std::string_view>{}(line); }

namespace {

// The lock every copy of the program holds while it reads or saves the log, on a lock file that lives
// only as long as it is held, so the program leaves no file behind but the log. Whoever gets the lock on a
// lock file that its former holder has removed meanwhile tries again with the one the name now gives.
// Where no lock file can be made (a folder without write permission), no new log can be made there
// either and the writer reports why: the lock is then left out rather than failing first. A process that
// holds the lock for good (stopped, or not this program) is waited for only until `wait` has passed.
class LogLock {
  public:
    LogLock(const std::string& log_path, std::chrono::milliseconds wait) {
        // A folder or a device in the log's place is nothing to share; the reader or writer refuses it.
        const OutputTarget target = output_target(log_path);
        if (target.exists && (!S_ISREG(target.st.st_mode) || target.write == TargetWrite::in_place)) return;
        path_ = target.path + ".lock";
        const auto deadline = std::chrono::steady_clock::now() + wait;
        for (int tries = 0; tries < 1000; ++tries) {
            fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
            if (fd_ < 0) return;
            while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
                if (errno != EWOULDBLOCK && errno != EINTR) break;
                if (std::chrono::steady_clock::now() >= deadline) {
                    ::close(fd_);
                    fd_ = -1;
                    timed_out_ = true;
                    return;
                }
                ::usleep(20'000);
            }
            struct stat held {
            }, named{};
            if (::fstat(fd_, &held) == 0 && ::stat(path_.c_str(), &named) == 0 &&
                held.st_dev == named.st_dev && held.st_ino == named.st_ino)
                return;
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~LogLock() {
        if (fd_ < 0) return;
        ::unlink(path_.c_str());
        ::close(fd_);
    }
    LogLock(const LogLock&) = delete;
    LogLock& operator=(const LogLock&) = delete;

    /// Whether another process held the lock past the wait.
    bool timed_out() const { return timed_out_; }
    /// Why the lock was not had, for a message.
    std::string held_text(std::chrono::milliseconds wait) const {
        const auto tenths = (wait.count() + 99) / 100;
        return "Another process has held its lock " + path_ + " for more than " +
               std::to_string(tenths / 10) + (tenths % 10 ? "." + std::to_string(tenths % 10) : "") +
               " seconds";
    }

  private:
    std::string path_;
    int fd_ = -1;
    bool timed_out_ = false;
};

void read_log_lines(const std::string& path, const std::function<void(std::string_view)>& take) {
    LineReader reader(path, kLineReaderBlock, StreamSplitter::Rule::whole_text);
    std::string_view line;
    while (reader.next(line)) take(line);
}

bool is_regular_file(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string JobLogFile::lock_path_for(const std::string& log_path) {
    return output_target(log_path).path + ".lock";
}

std::string JobLogFile::load(const std::function<void(std::string_view)>& take) {
    LogLock lock(path_, lock_wait_);
    KnownLines known;
    read_log_lines(path_, [&](std::string_view line) {
        take(line);
        known.add(line);
    });
    known.seal();
    known_ = std::move(known);
    if (!lock.timed_out()) return "";
    return file_error_text("Cannot lock file", path_, lock.held_text(lock_wait_)) +
           ". The job log was read without waiting longer";
}

std::vector<std::string> JobLogFile::save(const NextLogLine& ours, std::size_t new_on_top) {
    LogLock lock(path_, lock_wait_);
    if (lock.timed_out())
        throw_file_error("Cannot lock file", path_,
                         lock.held_text(lock_wait_) +
                             ". The job log was not saved; its lines stay in the window for the next save");
    // The lines of the file now that it did not hold when this copy last read or wrote it. Anything but
    // a file on disk (a folder, a device) holds no lines of others, and the writer says what it is.
    std::vector<std::string> others;
    if (is_regular_file(path_)) {
        KnownLines left = known_;
        read_log_lines(path_, [&](std::string_view line) {
            if (!left.take(line)) others.emplace_back(line);
        });
    }
    SafeFileWriter out(path_);
    KnownLines written;
    const auto put = [&](std::string_view line) {
        out.write_line(line);
        written.add(line);
    };
    std::string line;
    for (std::size_t n = 0; n < new_on_top && ours(line); ++n) put(line);
    for (const std::string& other : others) put(other);
    while (ours(line)) put(line);
    out.commit();
    written.seal();
    known_ = std::move(written);
    return others;
}

namespace {
// Renames without ever replacing a file that is already there; false when `to` is taken.
bool rename_to_free_name(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno == EEXIST) return false;
    if (errno != EINVAL && errno != ENOSYS) throw_file_error("Cannot rename file", from, errno);
    // A file system that cannot refuse to replace: look first.
    if (file_exists(to)) return false;
    if (::rename(from.c_str(), to.c_str()) != 0) throw_file_error("Cannot rename file", from, errno);
    return true;
}
}  // namespace

std::string set_aside_unreadable(const std::string& path, std::string_view stamp) {
    const std::string base = path + ".unreadable-" + std::string(stamp);
    for (int n = 1; n <= 1000; ++n) {
        std::string aside = n == 1 ? base : base + "-" + std::to_string(n);
        if (rename_to_free_name(path, aside)) return aside;
    }
    throw_file_error("Cannot rename file", path, EEXIST);
}

}  // namespace qvr
