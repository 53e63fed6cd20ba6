#include "common/line_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/file_error.h"
#include "common/line_scan.h"
#include "common/regular_file.h"

namespace qvr {

LineReader::LineReader(const std::string& path, std::size_t block_size)
    : path_(path), block_size_(block_size), block_(std::make_unique_for_overwrite<char[]>(block_size)) {
    struct stat st {};
    fd_ = open_regular_file(path, st);
}

LineReader::~LineReader() {
    if (fd_ >= 0) ::close(fd_);
}

bool LineReader::fill() {
    if (eof_) return false;
    for (;;) {
        ssize_t got = ::read(fd_, block_.get(), block_size_);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw_file_error("Cannot read file", path_, errno);
        }
        begin_ = 0;
        end_ = static_cast<std::size_t>(got);
        if (got == 0) eof_ = true;
        return got > 0;
    }
}

void LineReader::hold(const char* p, std::size_t n) {
    n = std::min(n, prefix_ - std::min(prefix_, carry_.size()));
    if (n > max_line_ - carry_.size()) throw_file_error("Cannot read file", path_, ENOMEM);
    carry_.append(p, n);
}

void LineReader::hand_out(const char* p, std::size_t n, bool have_text, std::string_view& line) {
    if (have_text) {
        hold(p, n);
        line = carry_;
    } else {
        line = std::string_view(p, std::min(n, prefix_));
    }
}

bool LineReader::next(std::string_view& line) {
    carry_.clear();
    bool have_text = false;
    for (;;) {
        if (begin_ == end_ && !fill()) {
            if (!have_text) return false;
            line = carry_;
            return true;
        }
        const char* const block = block_.get();
        const StreamSplitter::Piece piece = splitter_.next(block + begin_, block + end_);
        const auto len = static_cast<std::size_t>(piece.stop - piece.begin);
        consumed_ += static_cast<std::size_t>(
            (piece.why == StreamSplitter::Stop::file_end ? piece.stop : piece.next) - (block + begin_));
        begin_ = static_cast<std::size_t>(piece.next - block);
        switch (piece.why) {
            case StreamSplitter::Stop::file_end:
                eof_ = true;
                begin_ = end_ = 0;
                if (!have_text && len == 0) return false;
                hand_out(piece.begin, len, have_text, line);
                return true;
            case StreamSplitter::Stop::line_end:
                hand_out(piece.begin, len, have_text, line);
                return true;
            case StreamSplitter::Stop::none:
                // No line end in the rest of the block: keep it and read on.
                if (len == 0) break;
                hold(piece.begin, len);
                have_text = true;
                break;
        }
    }
}

}  // namespace qvr
