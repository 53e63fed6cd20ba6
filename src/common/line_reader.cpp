#include "common/line_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/file_error.h"
#include "common/line_scan.h"

namespace qvr {

LineReader::LineReader(const std::string& path, std::size_t block_size) : path_(path), block_(block_size) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) throw_file_error("Cannot open file", path, errno);
    struct stat st {};
    if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        throw_file_error("Cannot open file", path, EISDIR);
    }
}

LineReader::~LineReader() {
    if (fd_ >= 0) ::close(fd_);
}

bool LineReader::fill() {
    if (eof_) return false;
    for (;;) {
        ssize_t got = ::read(fd_, block_.data(), block_.size());
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

bool LineReader::next(std::string_view& line) {
    carry_.clear();
    bool have_text = false;
    for (;;) {
        if (begin_ == end_ && !fill()) {
            if (!have_text) return false;
            line = carry_;
            return true;
        }
        if (skip_lf_) {
            skip_lf_ = false;
            if (block_[begin_] == '\n') {
                ++begin_;
                ++consumed_;
                continue;
            }
        }
        const char* start = block_.data() + begin_;
        std::size_t avail = end_ - begin_;
        // Ctrl+Z ends the file wherever it stands, also inside a line.
        const char* stop = find_either(start, start + avail, '\r', 26);
        const char* cr = stop < start + avail && *stop == '\r' ? stop : nullptr;
        const char* eofc = stop < start + avail && *stop == 26 ? stop : nullptr;
        std::size_t scan = static_cast<std::size_t>(stop - start);
        if (eofc) {
            std::size_t len = static_cast<std::size_t>(eofc - start);
            consumed_ += len;
            eof_ = true;
            begin_ = end_ = 0;
            if (!have_text && len == 0) return false;
            if (!have_text) {
                line = std::string_view(start, len);
                return true;
            }
            carry_.append(start, len);
            line = carry_;
            return true;
        }
        if (cr) {
            begin_ += scan + 1;
            consumed_ += scan + 1;
            if (begin_ < end_) {
                if (block_[begin_] == '\n') {
                    ++begin_;
                    ++consumed_;
                }
            } else {
                skip_lf_ = true;
            }
            if (!have_text) {
                line = std::string_view(start, scan);
                return true;
            }
            carry_.append(start, scan);
            line = carry_;
            return true;
        }
        // No line end in the rest of the block: keep it and read on.
        if (avail > max_line_ - carry_.size()) throw_file_error("Cannot read file", path_, ENOMEM);
        carry_.append(start, avail);
        consumed_ += avail;
        have_text = true;
        begin_ = end_;
    }
}

std::vector<std::string> read_all_lines(const std::string& path) {
    LineReader reader(path, 1 << 16);
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.next(line)) lines.emplace_back(line);
    return lines;
}

}  // namespace qvr
