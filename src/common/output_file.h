#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qvr {

/// The bytes an output file gathers before it writes them.
inline constexpr std::size_t kOutputBufferSize = std::size_t{1} << 20;

/// A file written from the start through a large buffer. Every failure (cannot create, disk full) throws
/// FileError with the system's message and the file's path.
class OutputFile {
  public:
    /// Creates `path`, or empties it when it exists.
    explicit OutputFile(const std::string& path);
    /// Writes to `fd`, opened by someone else (standard output in a pipe), which close() and the destructor
    /// leave open for its owner; `name` stands for it in messages.
    static std::unique_ptr<OutputFile> borrow(int fd, std::string name);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void write(std::string_view bytes);
    /// Writes `bytes` followed by the program's line end, CR LF.
    void write_line(std::string_view bytes);
    /// Room for `n` bytes at the end of the buffer, to be written in place and then kept by advance();
    /// so a writer can build its line where it goes instead of copying it there.
    char* room(std::size_t n);
    /// Keeps the first `n` bytes written at room() (at most the `n` asked for there).
    void advance(std::size_t n) { used_ += n; }
    /// Writes `bytes` at `offset` from the start, after flushing what is buffered (for headers whose
    /// figures are known only at the end).
    void write_at(std::uint64_t offset, std::string_view bytes);
    /// Flushes and closes; throws when the data could not all be written.
    void close();

    const std::string& path() const { return path_; }

  protected:
    OutputFile(int fd, std::string path);
    void flush();
    int fd_ = -1;

  private:
    std::string path_;
    std::unique_ptr<char[]> buffer_;  // not cleared first: a small file touches only what it fills
    std::size_t capacity_ = kOutputBufferSize;
    std::size_t used_ = 0;
    bool owns_fd_ = true;
};

/// Writes a file that replaces `target` only when it is complete: the bytes go to a temporary file beside
/// it, which commit() renames over the target. Destroyed without commit() (a failure, an exception), it
/// removes the temporary file and the target stays as it was.
class SafeFileWriter : public OutputFile {
  public:
    /// Throws FileError "Cannot create file <target>..." when no file can be made beside the target.
    explicit SafeFileWriter(const std::string& target);
    ~SafeFileWriter();

    /// Closes the temporary file and renames it over the target.
    void commit();

    const std::string& target() const { return target_; }

  private:
    struct TempFile {
        int fd;
        std::string path;
    };
    /// Opens a new temporary file beside `target`, named after it so that a stray one is recognisable.
    static TempFile make_temp_beside(const std::string& target);
    SafeFileWriter(const std::string& target, TempFile temp);

    std::string target_;
    std::string temp_path_;
    bool committed_ = false;
};

/// Replaces `target` by `bytes` safely (see SafeFileWriter).
void replace_file_safely(const std::string& target, std::string_view bytes);

}  // namespace qvr
