#include "engine/propose_encoding.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "common/file_error.h"
#include "common/regular_file.h"

namespace qvr {

namespace {

struct Fd {
    int fd;
    ~Fd() { ::close(fd); }
};

constexpr std::size_t kBlock = 1 << 16;

// Reads [from, to) of the file into the tally; false when the sample already tells Windows-1252 whatever
// the rest of it holds: more invalid bytes than the characters its unread bytes could still add allow.
bool tally_part(int fd, std::uint64_t from, std::uint64_t to, std::uint64_t unread_after, Utf8Tally& tally,
                const std::function<void()>& between_blocks) {
    auto block = std::make_unique_for_overwrite<char[]>(kBlock);
    for (std::uint64_t at = from; at < to;) {
        const ssize_t got =
            ::pread(fd, block.get(), static_cast<std::size_t>(std::min<std::uint64_t>(to - at, kBlock)),
                    static_cast<off_t>(at));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;  // the file shrank, or cannot be read: the job's reading tells why
        tally.feed(block.get(), block.get() + got);
        at += static_cast<std::uint64_t>(got);
        if (between_blocks) between_blocks();
        const std::uint64_t most_characters = tally.characters() + (to - at + unread_after) / 2;
        if (tally.invalid_bytes() > most_characters / kUtf8CharactersPerInvalidByte) return false;
    }
    return true;
}

}  // namespace

TextEncoding propose_encoding(const std::string& path, const std::function<void()>& between_blocks) {
    struct stat st {};
    int fd = -1;
    try {
        fd = open_regular_file(path, st);
    } catch (const FileError&) {
        return TextEncoding::cp1252;
    }
    const Fd closer{fd};
    char start[3];
    const ssize_t got = ::pread(fd, start, sizeof start, 0);
    if (got == static_cast<ssize_t>(sizeof start) &&
        std::string_view(start, sizeof start) == kUtf8ByteOrderMark)
        return TextEncoding::utf8;
    // A file that tells no size (as in /proc) is sampled as far as the head goes.
    const std::uint64_t size = st.st_size > 0 ? static_cast<std::uint64_t>(st.st_size) : kProposalHeadBytes;
    const std::uint64_t head = std::min(size, kProposalHeadBytes);
    const std::uint64_t tail_from = std::max(head, size - std::min(size, kProposalTailBytes));
    Utf8Tally tally;
    if (tally_part(fd, 0, head, size - tail_from, tally, between_blocks) && tail_from < size) {
        std::uint64_t from = tail_from;
        if (tail_from > head) {
            // A tail apart from the head begins anywhere in a character: the bytes that continue one are
            // passed over.
            tally.skip_to_elsewhere();
            char byte;
            for (int i = 0; i < 3 && ::pread(fd, &byte, 1, static_cast<off_t>(from)) == 1 &&
                            (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
                 ++i)
                ++from;
        }
        tally_part(fd, from, size, 0, tally, between_blocks);
    }
    tally.finish();
    return tally.reads_as_utf8() ? TextEncoding::utf8 : TextEncoding::cp1252;
}

}  // namespace qvr
