#include "engine/propose_encoding.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "common/file_error.h"
#include "common/regular_file.h"
#include "common/utf8_chars.h"

namespace qvr {

TextEncoding propose_encoding(const std::string& path) {
    int fd = -1;
    try {
        struct stat st {};
        fd = open_regular_file(path, st);
    } catch (const FileError&) {
        return TextEncoding::cp1252;
    }
    constexpr std::size_t kBlock = 1 << 16;
    // Three bytes of a character cut by the block's end are carried to the front of the next block.
    auto buffer = std::make_unique_for_overwrite<char[]>(kBlock + 3);
    std::size_t carried = 0;
    bool beyond_ascii = false;
    bool valid = true;
    for (;;) {
        const ssize_t got = ::read(fd, buffer.get() + carried, kBlock);
        if (got < 0 && errno == EINTR) continue;
        const bool at_end = got <= 0;
        const char* p = buffer.get();
        const char* const end = p + carried + (got > 0 ? static_cast<std::size_t>(got) : 0);
        while (p < end) {
            if (static_cast<unsigned char>(*p) < 0x80) {
                ++p;
                continue;
            }
            const std::size_t size = utf8_char_size(p, end);
            if (size == 1) {
                // A character the block's end cuts short is judged with the next block.
                if (!at_end && end - p < 4) break;
                valid = false;
                break;
            }
            beyond_ascii = true;
            p += size;
        }
        if (!valid || at_end) break;
        carried = static_cast<std::size_t>(end - p);
        std::memmove(buffer.get(), p, carried);
    }
    ::close(fd);
    return valid && beyond_ascii ? TextEncoding::utf8 : TextEncoding::cp1252;
}

}  // namespace qvr
