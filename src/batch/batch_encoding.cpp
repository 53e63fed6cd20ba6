#include "batch/batch_encoding.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string_view>

#include "common/regular_file.h"

namespace qvr {

namespace {

// The length of the UTF-8 sequence at the start of `s`: 0 when it is not one, -1 when `s` ends inside it.
int sequence_length(std::string_view s) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = at(0);
    int n = 0;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range, narrowed against overlong forms
    if (lead >= 0xC2 && lead <= 0xDF)
        n = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        n = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        n = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;  // nothing beyond U+10FFFF
    } else
        return 0;
    for (std::size_t i = 1; i < static_cast<std::size_t>(n); ++i) {
        if (i == s.size()) return -1;
        if (at(i) < (i == 1 ? low : 0x80) || at(i) > (i == 1 ? high : 0xBF)) return 0;
    }
    return n;
}

TextEncoding proposal_of(int fd) {
    constexpr std::size_t kBlock = 1 << 16;
    std::string block(kBlock + 3, '\0');
    std::size_t carried = 0;  // the start of a sequence the last block cut
    bool beyond_ascii = false;
    for (;;) {
        const ssize_t got = ::read(fd, block.data() + carried, kBlock);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return TextEncoding::cp1252;
        const std::string_view text(block.data(), carried + static_cast<std::size_t>(got));
        std::size_t i = 0;
        while (i < text.size()) {
            if (static_cast<unsigned char>(text[i]) < 0x80) {
                ++i;
                continue;
            }
            const int n = sequence_length(text.substr(i));
            if (n == 0 || (n < 0 && got == 0)) return TextEncoding::cp1252;
            if (n < 0) break;
            beyond_ascii = true;
            i += static_cast<std::size_t>(n);
        }
        if (got == 0) return beyond_ascii ? TextEncoding::utf8 : TextEncoding::cp1252;
        carried = text.size() - i;
        std::copy(text.begin() + static_cast<std::ptrdiff_t>(i), text.end(), block.begin());
    }
}

}  // namespace

TextEncoding batch_proposed_encoding(const std::string& path) {
    struct stat st {};
    int fd = -1;
    try {
        fd = open_regular_file(path, st);
    } catch (const FileError&) {
        return TextEncoding::cp1252;
    }
    const TextEncoding proposed = proposal_of(fd);
    ::close(fd);
    return proposed;
}

JobSettings batch_job_settings(const BatchRequest& request) {
    JobSettings s = request.settings;
    if (request.encoding)
        s.encoding = *request.encoding;
    else
        s.encoding =
            s.input_path == kStandardInputPath ? TextEncoding::cp1252 : batch_proposed_encoding(s.input_path);
    return s;
}

}  // namespace qvr
