#include "input/input_analysis.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "common/file_error.h"
#include "common/line_scan.h"
#include "common/regular_file.h"
#include "common/whole_number.h"

namespace qvr {

namespace {

constexpr const char* kMessageLineBreak = "\n\r";

/// An open file, closed when it goes out of scope.
class InputFile {
  public:
    explicit InputFile(const std::string& path) {
        struct stat st {};
        fd_ = open_regular_file(path, st);
        size_ = static_cast<std::int64_t>(st.st_size);
    }
    ~InputFile() { ::close(fd_); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    int fd() const { return fd_; }
    std::int64_t size() const { return size_; }

  private:
    int fd_ = -1;
    std::int64_t size_ = 0;
};

/// Counts lines block by block, carrying across blocks only whether a line is open and how long it is so
/// far (and, in the splitter, whether the last block ended on a carriage return whose line feed may start
/// the next). With `kLengths` it also counts the lines by length, in the same pass.
/// The first line's start is looked at as every reader of the input looks at it (text_of_first_line()):
/// its length leaves out a byte order mark the reader skips.
template <bool kLengths>
class LineCounter {
  public:
    LineCounter(const std::string& path, TextEncoding encoding) : path_(path), encoding_(encoding) {}

    /// Counts the lines of one block; false once Ctrl+Z has ended the file.
    bool feed(const char* p, std::size_t n) {
        const char* const end = p + n;
        while (p < end) {
            const StreamSplitter::Piece piece = splitter_.next(p, end);
            if (piece.begin < piece.stop) {
                open_line_ = true;
                if (lines_ == 0 && start_.size() < 3)
                    start_.append(piece.begin,
                                  std::min<std::size_t>(3 - start_.size(),
                                                        static_cast<std::size_t>(piece.stop - piece.begin)));
                if constexpr (kLengths) length_ += static_cast<std::size_t>(piece.stop - piece.begin);
            }
            if (piece.why == StreamSplitter::Stop::file_end) return false;
            if (piece.why == StreamSplitter::Stop::line_end) {
                if (lines_ == 0) {
                    const std::size_t mark = mark_size();
                    if constexpr (kLengths) length_ -= mark;
                }
                ++lines_;
                open_line_ = false;
                if constexpr (kLengths) {
                    lengths_.add(length_);
                    length_ = 0;
                }
            }
            p = piece.next;
        }
        return true;
    }

    std::int64_t total() const {
        if (lines_ == 0) mark_size();
        return lines_ + (open_line_ ? 1 : 0);
    }

    /// The lengths, the last line without line end counted.
    LineLengths lengths() const {
        LineLengths all = lengths_;
        if (open_line_) all.add(length_ - (lines_ == 0 ? mark_size() : 0));
        return all;
    }

  private:
    std::size_t mark_size() const {
        return start_.size() - text_of_first_line(start_, encoding_, path_).size();
    }

    const std::string& path_;
    TextEncoding encoding_;
    std::string start_;  // the first bytes of the first line
    StreamSplitter splitter_;
    std::int64_t lines_ = 0;
    bool open_line_ = false;
    std::size_t length_ = 0;
    LineLengths lengths_;
};

// Returns the file's size: a regular file's from the file system, a stream's (standard input) counted
// through its end, which tells no size beforehand.
template <bool kLengths>
std::int64_t read_lines(const std::string& path, std::size_t block_size, LineCounter<kLengths>& counter) {
    InputFile file(path);
    struct stat st {};
    const bool stream = ::fstat(file.fd(), &st) == 0 && !S_ISREG(st.st_mode);
    ::posix_fadvise(file.fd(), 0, 0, POSIX_FADV_SEQUENTIAL);
    std::vector<char> block(block_size);
    std::int64_t streamed = 0;
    for (bool counting = true;;) {
        const ssize_t got = ::read(file.fd(), block.data(), block.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            throw_file_error("Cannot read file", path, errno);
        }
        if (got == 0) break;
        streamed += got;
        if (counting) counting = counter.feed(block.data(), static_cast<std::size_t>(got));
        if (!counting && !stream) break;
    }
    return stream ? streamed : file.size();
}

}  // namespace

std::int64_t input_file_size(const std::string& path) { return InputFile(path).size(); }

std::int64_t count_input_lines(const std::string& path, std::size_t block_size, TextEncoding encoding) {
    LineCounter<false> counter(path, encoding);
    read_lines(path, block_size, counter);
    return counter.total();
}

InputLines measure_input_lines(const std::string& path, std::size_t block_size, TextEncoding encoding) {
    LineCounter<true> counter(path, encoding);
    const std::int64_t size = read_lines(path, block_size, counter);
    return {counter.total(), counter.lengths(), size};
}

bool is_big_input(std::int64_t size, std::int64_t line_count) {
    return size > kBigInputBytes || line_count > kBigInputLines;
}

std::string analysis_message(std::int64_t size, std::int64_t line_count, const std::string& lengths) {
    std::string message = "Input file...";
    message += kMessageLineBreak;
    message += "Size (bytes): " + decimal_text(size);
    message += kMessageLineBreak;
    message += "Lines: " + decimal_text(line_count);
    if (is_big_input(size, line_count)) {
        message += kMessageLineBreak;
        message += "For time saving, checking \"Fast extract\" recommended";
    }
    if (!lengths.empty()) {
        message += kMessageLineBreak;
        message += lengths;
    }
    return message;
}

}  // namespace qvr
