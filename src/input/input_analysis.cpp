#include "input/input_analysis.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "common/file_error.h"
#include "common/line_scan.h"
#include "common/regular_file.h"
#include "common/utf8_chars.h"
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
            }
            if constexpr (kLengths) {
                if (piece.begin < piece.stop || carried_ > 0)
                    length_ += columns(piece.begin, piece.stop, piece.why == StreamSplitter::Stop::none);
            }
            if (piece.why == StreamSplitter::Stop::file_end) return false;
            if (piece.why == StreamSplitter::Stop::line_end) {
                if (lines_ == 0) {
                    const std::size_t mark = mark_columns();
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
        if (open_line_) {
            // A character the file's end cut short is one column per byte, as everywhere.
            const std::size_t cut_short = utf8_columns(std::string_view(carry_, carried_));
            all.add(length_ + cut_short - (lines_ == 0 ? mark_columns() : 0));
        }
        return all;
    }

  private:
    std::size_t mark_size() const {
        return start_.size() - text_of_first_line(start_, encoding_, path_).size();
    }
    // The byte order mark is one character in UTF-8, the only encoding whose lines leave it out.
    std::size_t mark_columns() const {
        const std::size_t mark = mark_size();
        return encoding_ == TextEncoding::utf8 && mark > 0 ? 1 : mark;
    }

    // The columns of a piece of a line, as the extract counts them: bytes, or characters in UTF-8. When
    // the line `goes_on` in the next block, a character that the piece's end cuts waits for its last bytes,
    // so that it is judged whole, as in a line read at once.
    std::size_t columns(const char* b, const char* e, bool goes_on) {
        if (encoding_ != TextEncoding::utf8) return static_cast<std::size_t>(e - b);
        std::size_t n = 0;
        if (carried_ > 0) {
            const std::size_t want = char_bytes(carry_[0]);
            while (b < e && carried_ < want && (static_cast<unsigned char>(*b) & 0xC0) == 0x80)
                carry_[carried_++] = *b++;
            if (carried_ < want && b == e && goes_on) return 0;
            n = utf8_columns(std::string_view(carry_, carried_));
            carried_ = 0;
        }
        if (goes_on) {
            for (std::size_t k = 1; k <= 3 && e - k >= b; ++k) {
                const char c = *(e - k);
                if ((static_cast<unsigned char>(c) & 0xC0) == 0x80) continue;
                if (char_bytes(c) > k) {
                    std::memcpy(carry_, e - k, k);
                    carried_ = k;
                    e -= k;
                }
                break;
            }
        }
        return n + utf8_columns(std::string_view(b, static_cast<std::size_t>(e - b)));
    }

    // The bytes a character that begins with `lead` takes, as its lead byte tells.
    static std::size_t char_bytes(char lead) {
        const auto c = static_cast<unsigned char>(lead);
        return c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    }

    const std::string& path_;
    TextEncoding encoding_;
    std::string start_;  // the first bytes of the first line
    StreamSplitter splitter_;
    std::int64_t lines_ = 0;
    bool open_line_ = false;
    std::size_t length_ = 0;
    char carry_[4] = {};  // the start of a UTF-8 character cut by a block's end
    std::size_t carried_ = 0;
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
