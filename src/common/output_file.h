#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/output_target.h"
#include "common/text_convert.h"

namespace qvr {

/// The bytes an output file gathers before it writes them.
inline constexpr std::size_t kOutputBufferSize = std::size_t{1} << 20;

/// A file written from the start through a large buffer. Every failure (cannot create, disk full) throws
/// FileError with the system's message and the file's path.
class OutputFile {
  public:
    /// Creates `path`, or empties it when it exists, writing through symbolic links (see output_target()); a
    /// regular file reached through a process's descriptor (/dev/stdout) is added to, as its owner opened it.
    explicit OutputFile(const std::string& path);
    /// Writes to `fd`, opened by someone else (standard output in a pipe), which close() and the destructor
    /// leave open for its owner; `name` stands for it in messages.
    static std::unique_ptr<OutputFile> borrow(int fd, std::string name);
    virtual ~OutputFile();  // a sink may hold a SafeFileWriter through an OutputFile pointer
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void write(std::string_view bytes);
    /// Writes `bytes` followed by the program's line end, CR LF.
    void write_line(std::string_view bytes, std::string_view line_end = "\r\n");
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
    /// Whether write_at() can go back in the file (not in a pipe, a terminal or a file open for adding).
    bool can_seek() const;

    const std::string& path() const { return path_; }

    /// From here on the text written is converted from `from` into the other encoding on its way to the
    /// file (TextConverter), so every writer keeps writing the input's bytes.
    void convert_text_from(TextEncoding from) { converter_ = std::make_unique<TextConverter>(from); }
    /// Characters the conversion wrote as "?".
    std::uint64_t replaced_chars() const { return converter_ ? converter_->replaced() : 0; }

  protected:
    OutputFile(int fd, std::string path);
    void flush();
    /// Writes what the conversion held back at the end of the text.
    void end_text();
    int fd_ = -1;

  private:
    std::string path_;
    std::unique_ptr<char[]> buffer_;  // not cleared first: a small file touches only what it fills
    std::size_t capacity_ = kOutputBufferSize;
    std::size_t used_ = 0;
    bool owns_fd_ = true;
    void put(const char* data, std::size_t size);
    std::unique_ptr<TextConverter> converter_;
    std::string converted_;
};

/// Writes a file that replaces `target` only when it is complete: the bytes go to a temporary file beside
/// the file the target names (through symbolic links), which commit() puts in its place with the former
/// file's owner, group and mode. Destroyed without commit() (a failure, an exception), it removes the
/// temporary file and the target stays as it was; the temporary file has no name where the system allows
/// it, and a named one is removed by SIGINT, SIGTERM and SIGHUP, so an interruption leaves none behind.
/// What output_target() says is written in place is written as the bytes come, or at commit() once the
/// result is complete.
class SafeFileWriter : public OutputFile {
  public:
    /// Throws FileError "Cannot create file <target>..." when no file can be made beside the target, or
    /// when the former file's owner and group cannot be kept and it is not this user's.
    explicit SafeFileWriter(const std::string& target);
    ~SafeFileWriter();

    /// Closes the temporary file and puts it in the target's place.
    void commit();
    /// Writes everything out and to the disk, where most failures come, so that a later commit() only
    /// puts the file in place: a run with several results readies them all before it commits any.
    void ready();

    const std::string& target() const { return target_; }

    /// The name of a temporary file beside a file named `name`: hidden, recognisably the file's, and no
    /// longer than a file name may be (`name` is shortened for it when needed).
    static std::string temp_name_for(const std::string& name);

  private:
    struct TempFile {
        int fd = -1;
        std::string path;      ///< a named temporary file; empty when it has no name or is the target
        bool unnamed = false;  ///< made by O_TMPFILE, given a name only at commit()
        TargetWrite write = TargetWrite::replace;
        OutputTarget file;  ///< the file the target names, as it was
    };
    /// Opens the temporary file beside the file `target` names (or that file itself, for in place).
    static TempFile make_temp_beside(const std::string& target);
    SafeFileWriter(const std::string& target, TempFile temp);
    /// Gives the unnamed temporary file a name beside the file, for the rename.
    void name_unnamed();
    /// Copies the complete temporary file into the file itself.
    void copy_into_file();
    void drop_temp_name();
    bool ready_ = false;

    std::string target_;
    TempFile temp_;
    bool committed_ = false;
};

/// A file without a name in `folder` (a sorted run, a part of an archive): O_TMPFILE, or a named file
/// removed at once. `name` stands for it in messages (the named file lives too briefly to be worth naming).
int open_nameless(const std::string& folder, const std::string& name);

/// Replaces `target` by `bytes` safely (see SafeFileWriter).
void replace_file_safely(const std::string& target, std::string_view bytes);

}  // namespace qvr
