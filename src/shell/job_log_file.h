#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qvr {

/// Hands over the next line of the log to save; false after the last one, and ever after.
using NextLogLine = std::function<bool(std::string& line)>;

/// The lines a file held, as a multiset of their hashes: what a save must tell apart from the lines other
/// copies of the program added since, at a few bytes a line whatever the lines' length.
class KnownLines {
  public:
    void add(std::string_view line) { hashes_.push_back(hash(line)); }
    /// Ends the adding; take() may be called from then on.
    void seal();
    /// Takes one `line` out; false when none is left, that is when the file did not hold it (once more).
    bool take(std::string_view line);

  private:
    static std::uint64_t hash(std::string_view line);

    std::vector<std::uint64_t> hashes_;  ///< sorted and distinct once sealed
    std::vector<std::uint32_t> counts_;  ///< how many times each of them is left
};

/// The job log file as one running copy of the program knows it. Several copies may share the log: each
/// remembers which lines the file held when it last read or wrote it, so that its next save keeps the
/// lines the others added since and leaves out the lines its own user deleted.
class JobLogFile {
  public:
    /// How long a load or a save waits for the lock another process holds.
    static constexpr std::chrono::milliseconds kLockWait{5000};

    explicit JobLogFile(std::string path, std::chrono::milliseconds lock_wait = kLockWait)
        : path_(std::move(path)), lock_wait_(lock_wait) {}

    /// Reads the stored log line by line into `take`, never holding it whole, under the save lock. A line
    /// ends at CR LF, at a lone CR or at a lone LF (a text box knows no other line break); every other byte,
    /// NUL included, stays in its line. Only a regular file is read: anything else (a pipe) could wait for
    /// ever. Throws FileError when it cannot be read, std::bad_alloc when it does not fit in memory.
    /// When another process holds the lock past the wait, the log is read without it (a save puts a
    /// complete file in place at once, so the reading sees the former file or the new one), and the text
    /// saying so is returned; "" otherwise.
    std::string load(const std::function<void(std::string_view)>& take);

    /// Replaces the stored log safely, each line followed by CR LF, while holding the lock every copy
    /// takes to save: first the `new_on_top` first lines of `ours` (the jobs run since the last load or
    /// save, the newest), then the lines other copies added to the file since, in their order, then the
    /// rest of `ours`. Returns those lines of the others, for the window to show in the same place.
    /// Throws FileError when the log cannot be read or written, or when another process holds the lock
    /// past the wait (a save without it could drop that process's lines); the file then stays as it was.
    std::vector<std::string> save(const NextLogLine& ours, std::size_t new_on_top);

    /// The lock file of the log at `log_path`, held while a copy reads or saves the log: beside the file
    /// the path names (through symbolic links, so copies reaching a shared log by different links meet
    /// there). The lock is not taken on the log itself, since a save puts a new file in its place and a
    /// lock on the former one would guard nothing.
    static std::string lock_path_for(const std::string& log_path);

  private:
    std::string path_;
    std::chrono::milliseconds lock_wait_;
    KnownLines known_;
};

/// Moves whatever stands at `path` to a free name beside it that says why,
/// "<path>.unreadable-<stamp>" (then "-2", "-3"... when taken), and returns that name, so that a log the
/// program could not read is never replaced by the empty one it starts with. Throws FileError
/// "Cannot rename file <path>. <reason>" when it cannot be moved.
std::string set_aside_unreadable(const std::string& path, std::string_view stamp);

}  // namespace qvr
