#include "common/whole_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/file_error.h"
#include "common/regular_file.h"

namespace qvr {

namespace {

struct Fd {
    int fd;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

std::string_view up_to_nul(std::string_view text) {
    const void* nul = std::memchr(text.data(), 0, text.size());
    if (nul) return text.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - text.data()));
    return text;
}

// Position after the end of the line starting at `pos`, and the line's length.
std::size_t line_end(std::string_view text, std::size_t pos, std::size_t& len) {
    const char* p = text.data() + pos;
    std::size_t rest = text.size() - pos;
    for (std::size_t i = 0; i < rest; ++i) {
        char c = p[i];
        if (c == '\n') {
            len = i;
            return pos + i + 1;
        }
        if (c == '\r') {
            len = i;
            return pos + i + ((i + 1 < rest && p[i + 1] == '\n') ? 2 : 1);
        }
    }
    len = rest;
    return text.size();
}

}  // namespace

std::string load_whole_file(const std::string& path) {
    struct stat st {};
    Fd f{open_regular_file(path, st)};
    // One byte more than the file's size lets the end be seen without growing the text, which would
    // copy the whole file and hold it twice; files that grow or tell no size (/proc) grow by doubling.
    std::string text(static_cast<std::size_t>(st.st_size) + 1, '\0');
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
    const char* p = text_.data();
    std::size_t size = text_.size();
    for (std::size_t i = 0; i < size; ++i) {
        if (p[i] == '\n') {
            ++n;
        } else if (p[i] == '\r') {
            ++n;
            if (i + 1 < size && p[i + 1] == '\n') ++i;
        }
    }
    if (size > 0 && p[size - 1] != '\n' && p[size - 1] != '\r') ++n;
    return n;
}

}  // namespace qvr
