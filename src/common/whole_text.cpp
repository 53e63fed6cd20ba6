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
#include "common/line_scan.h"
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

std::string_view up_to_nul(std::string_view text) {
    const void* nul = std::memchr(text.data(), 0, text.size());
    if (nul) return text.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - text.data()));
    return text;
}

// Position after the end of the line starting at `pos`, and the line's length.
std::size_t line_end(std::string_view text, std::size_t pos, std::size_t& len) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    const char* stop = find_cr_or_lf(begin + pos, end);
    len = static_cast<std::size_t>(stop - (begin + pos));
    if (stop == end) return text.size();
    std::size_t after = static_cast<std::size_t>(stop - begin) + 1;
    if (*stop == '\r' && after < text.size() && begin[after] == '\n') ++after;
    return after;
}

}  // namespace

std::string load_whole_file(const std::string& path) {
    struct stat st {};
    Fd f{open_regular_file(path, st)};
    // One byte more than the file's size lets the end be seen without growing the text, which would
    // copy the whole file and hold it twice; files that grow or tell no size (/proc) grow by doubling.
    std::size_t size = static_cast<std::size_t>(st.st_size) + 1;
    std::string text;
    text.reserve(size);
    prefer_large_pages(text.data(), size);
    text.resize(size);
    std::size_t used = 0;
    for (;;) {
        if (used == text.size()) text.resize(text.size() * 2);
        ssize_t got = ::read(f.fd, text.data() + used, text.size() - used);
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

WholeTextLines::WholeTextLines(std::string_view text) : text_(up_to_nul(text)) {}

bool WholeTextLines::next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    std::size_t len = 0;
    std::size_t next = line_end(text_, pos_, len);
    line = text_.substr(pos_, len);
    pos_ = next;
    return true;
}

std::uint64_t WholeTextLines::count() const {
    std::uint64_t n = 0;
    std::size_t pos = 0;
    std::size_t len = 0;
    while (pos < text_.size()) {
        pos = line_end(text_, pos, len);
        ++n;
    }
    return n;
}

}  // namespace qvr
