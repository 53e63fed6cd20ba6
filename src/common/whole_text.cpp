#include "common/whole_text.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

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

// A big text is touched page by page as it is read; in pages of 2 MiB instead of 4 KiB the system takes
// a five hundredth of the page faults, where it offers such pages to a program that asks.
void prefer_large_pages(char* data, std::size_t size) {
    constexpr std::uintptr_t kLarge = std::uintptr_t{2} << 20;
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + kLarge - 1) & ~(kLarge - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(kLarge - 1);
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
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

}  // namespace qvr
