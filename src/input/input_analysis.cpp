#include "input/input_analysis.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

/// Counts lines block by block, carrying across blocks only whether a line is open (and, in the
/// splitter, whether the last block ended on a carriage return whose line feed may start the next).
class LineCounter {
  public:
    /// Counts the lines of one block; false once Ctrl+Z has ended the file.
    bool feed(const char* p, std::size_t n) {
        const char* const end = p + n;
        while (p < end) {
            const StreamSplitter::Piece piece = splitter_.next(p, end);
            if (piece.begin < piece.stop) open_line_ = true;
            if (piece.why == StreamSplitter::Stop::file_end) return false;
            if (piece.why == StreamSplitter::Stop::line_end) {
                ++lines_;
                open_line_ = false;
            }
            p = piece.next;
        }
        return true;
    }

    std::int64_t total() const { return lines_ + (open_line_ ? 1 : 0); }

  private:
    StreamSplitter splitter_;
    std::int64_t lines_ = 0;
    bool open_line_ = false;
};

}  // namespace

std::int64_t input_file_size(const std::string& path) { return InputFile(path).size(); }

std::int64_t count_input_lines(const std::string& path, std::size_t block_size) {
    InputFile file(path);
    ::posix_fadvise(file.fd(), 0, 0, POSIX_FADV_SEQUENTIAL);
    std::vector<char> block(block_size);
    LineCounter counter;
    for (;;) {
        const ssize_t got = ::read(file.fd(), block.data(), block.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            throw_file_error("Cannot read file", path, errno);
        }
        if (got == 0 || !counter.feed(block.data(), static_cast<std::size_t>(got))) break;
    }
    return counter.total();
}

bool is_big_input(std::int64_t size, std::int64_t line_count) {
    return size > kBigInputBytes || line_count > kBigInputLines;
}

std::string analysis_message(std::int64_t size, std::int64_t line_count) {
    std::string message = "Input file...";
    message += kMessageLineBreak;
    message += "Size (bytes): " + decimal_text(size);
    message += kMessageLineBreak;
    message += "Lines: " + decimal_text(line_count);
    if (is_big_input(size, line_count)) {
        message += kMessageLineBreak;
        message += "For time saving, checking \"Fast extract\" recommended";
    }
    return message;
}

}  // namespace qvr
