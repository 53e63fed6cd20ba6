#include "common/whole_text.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "common/file_error.h"
#include "common/line_reader.h"
#include "common/regular_file.h"

namespace qvr {

namespace {

struct Fd {
    int fd;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

// A big text is touched page by page as it is read; in pages of 2 MiB instead of 4 KiB the system takes
// a five hundredth of the page faults, where it offers such pages to a program that asks.
void prefer_large_pages(char* data, std::size_t size) {
    constexpr std::uintptr_t kLarge = std::uintptr_t{2} << 20;
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + kLarge - 1) & ~(kLarge - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(kLarge - 1);
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

}  // namespace

/// Whether the file behind `fd` holds another byte where the reading stopped.
bool holds_more(int fd) {
    char byte;
    for (;;) {
        const ssize_t got = ::read(fd, &byte, 1);
        if (got < 0 && errno == EINTR) continue;
        return got > 0;
    }
}

std::string load_whole_file(const std::string& path, std::uint64_t max_bytes, bool* grew) {
    struct stat st {};
    Fd f{open_regular_file(path, st)};
    // A file that tells its size is read that far and no further: one that grows meanwhile (a log being
    // written) would otherwise take memory without bound. One byte more lets the end be seen.
    const bool sized = st.st_size > 0;
    const std::uint64_t limit =
        std::min<std::uint64_t>(sized ? static_cast<std::uint64_t>(st.st_size) : UINT64_MAX, max_bytes);
    std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(limit, sized ? limit : 1 << 16)) + 1;
    std::string text;
    text.reserve(size);
    prefer_large_pages(text.data(), size);
    text.resize(size);
    std::size_t used = 0;
    if (grew) *grew = false;
    for (;;) {
        if (used == limit) {
            if (grew) *grew = holds_more(f.fd);
            break;
        }
        if (used == text.size())
            text.resize(static_cast<std::size_t>(std::min<std::uint64_t>(text.size() * 2, limit)));
        ssize_t got =
            ::read(f.fd, text.data() + used,
                   static_cast<std::size_t>(std::min<std::uint64_t>(text.size() - used, limit - used)));
        if (got < 0) {
            if (errno == EINTR) continue;
            throw_file_error("Cannot read file", path, errno);
        }
        if (got == 0) break;
        used += static_cast<std::size_t>(got);
    }
    text.resize(used);
    return text;
}

WholeTextReader::WholeTextReader(const std::string& path, std::size_t block_size) : path_(path) {
    struct stat st {};
    fd_ = open_regular_file(path, st);
    size_ = static_cast<std::uint64_t>(st.st_size);
    limit_ = size_ > 0 ? size_ : UINT64_MAX;
    block_.resize(block_size);
}

WholeTextReader::~WholeTextReader() {
    if (fd_ >= 0) ::close(fd_);
}

bool WholeTextReader::fill() {
    if (at_end_) return false;
    // What is left of the block moves to its front; a line longer than the block makes it grow.
    if (begin_ > 0) {
        std::memmove(block_.data(), block_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == block_.size()) block_.resize(block_.size() * 2);
    if (limit_ == 0) {
        grew_ = holds_more(fd_);
        at_end_ = true;
        tally_.finish();
        return false;
    }
    for (;;) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(block_.size() - end_, limit_));
        const ssize_t got = ::read(fd_, block_.data() + end_, want);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw_file_error("Cannot read file", path_, errno);
        if (text_encoding_)
            tally_.feed_run(*text_encoding_, block_.data() + end_, block_.data() + end_ + got);
        if (got == 0) {
            at_end_ = true;
            tally_.finish();
            shrank_ = size_ > 0;
            return false;
        }
        limit_ -= static_cast<std::uint64_t>(got);
        end_ += static_cast<std::size_t>(got);
        return true;
    }
}

TextEncoding WholeTextReader::settle_text_encoding() {
    // The first block as full as the stream gives it: a pipe hands out what its writer has written.
    while (end_ < kLineReaderBlock && fill()) {
    }
    const TextEncoding encoding = encoding_of_first_block(std::string_view(block_.data(), end_));
    text_encoding_ = encoding;
    tally_.feed_run(encoding, block_.data(), block_.data() + end_);
    if (at_end_) tally_.finish();
    watch_utf8_ = encoding == TextEncoding::cp1252;
    return encoding;
}

bool WholeTextReader::next(std::string_view& line) {
    if (!read_line(line)) return false;
    if (first_line_ && text_encoding_) line = text_of_first_line(line, *text_encoding_, path_);
    first_line_ = false;
    ++lines_;
    if (watch_utf8_ && holds_utf8_character(line))
        throw_file_error("Cannot read file", path_, first_block_contradicted(lines_));
    return true;
}

bool WholeTextReader::read_line(std::string_view& line) {
    for (;;) {
        const char* const p = block_.data() + begin_;
        const char* const end = block_.data() + end_;
        const char* stop = find_cr_or_lf(p, end);
        // A CR as the block's last byte may have its LF in the next block.
        if (stop != end && !(*stop == '\r' && stop + 1 == end && !at_end_)) {
            const char* next = stop + 1;
            if (*stop == '\r' && next < end && *next == '\n') ++next;
            line = std::string_view(p, static_cast<std::size_t>(stop - p));
            line_start_ = offset_;
            offset_ += static_cast<std::uint64_t>(next - p);
            begin_ = static_cast<std::size_t>(next - block_.data());
            return true;
        }
        // Past the end (fill() false), a line end left in the block is taken by the loop.
        if (!fill() && find_cr_or_lf(block_.data() + begin_, block_.data() + end_) == block_.data() + end_) {
            if (begin_ == end_) return false;
            line = std::string_view(block_.data() + begin_, end_ - begin_);
            line_start_ = offset_;
            offset_ += end_ - begin_;
            begin_ = end_;
            return true;
        }
    }
}

}  // namespace qvr
