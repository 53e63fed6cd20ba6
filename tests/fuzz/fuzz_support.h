#pragma once

// What the fuzz targets share: files made from the fuzzer's bytes without touching the disk, and the
// line and field rules written out plainly, as the independent account the code is compared with.

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/line_cutter.h"

namespace qvr::fuzz {

/// Stops the run as a finding, saying what did not hold.
#define QVR_FUZZ_CHECK(condition)                                                                      \
    ((condition) ? void()                                                                              \
                 : (std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition), \
                    std::abort()))

/// A file that holds `bytes`, kept in memory and opened by its path like any file.
struct MemoryFile {
    explicit MemoryFile(std::string_view bytes) : fd(::memfd_create("fuzz", MFD_CLOEXEC)) {
        QVR_FUZZ_CHECK(fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == std::ssize(bytes));
    }
    ~MemoryFile() { ::close(fd); }
    MemoryFile(const MemoryFile&) = delete;
    std::string path() const { return "/proc/self/fd/" + std::to_string(fd); }
    const int fd;
};

/// A folder (its path ends in "/") for files that must have a real place (written beside, renamed), in
/// memory where the system offers it; made for one run and removed after it (libFuzzer ends without
/// running exit handlers).
struct ScratchFolder {
    ScratchFolder() : path(::access("/dev/shm", W_OK) == 0 ? "/dev/shm/qvr-XXXXXX" : "/tmp/qvr-XXXXXX") {
        QVR_FUZZ_CHECK(::mkdtemp(path.data()) != nullptr);
        path += '/';
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    std::string path;
};

/// Every reader of an input refuses a text that begins with a UTF-16 byte order mark.
inline bool begins_as_utf16(std::string_view text) {
    return text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF");
}

/// The lines of `text` up to its first `stop` byte (Ctrl+Z read line by line; none loaded whole): a line
/// ends at CR LF, a lone CR or a lone LF; a last line without line end is still a line.
inline std::vector<std::string> plain_lines(std::string_view text, std::optional<char> stop = std::nullopt) {
    if (stop) text = text.substr(0, text.find(*stop));
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find_first_of("\r\n", at), text.size());
        lines.emplace_back(text.substr(at, end - at));
        at = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
    }
    return lines;
}

/// A signed 32-bit decimal number: an optional minus sign and digits, nothing else (the standard library's
/// reading, not the program's).
inline std::optional<std::int64_t> plain_number(std::string_view text) {
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? std::optional(value) : std::nullopt;
}

/// `text` without its leading and trailing bytes of code 32 or less.
inline std::string_view plain_trim(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32) text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) text.remove_suffix(1);
    return text;
}

/// The cut line: each field from column max(start, 1), at most `length` bytes (none when the length is
/// 0 or less), trimmed as asked, the fields joined by `separator`.
inline std::string plain_cut(std::string_view line, const std::vector<FieldSlice>& slices,
                             const std::string& separator, bool trim) {
    std::string out;
    for (std::size_t i = 0; i < slices.size(); ++i) {
        const std::int64_t first = std::max<std::int64_t>(slices[i].start, 1) - 1;
        const std::int64_t end = std::min<std::int64_t>(first + slices[i].length, std::ssize(line));
        const std::string_view field = first < end ? line.substr(first, end - first) : std::string_view();
        out += (i > 0 ? separator : "") + std::string(trim ? plain_trim(field) : field);
    }
    return out;
}

/// The line filter: contains the contains text, is not below the lower bound nor above a given upper one,
/// comparing bytes as unsigned values (as string_view compares), the shorter first on a tie.
inline bool plain_passes(std::string_view line, const LineFilter& filter) {
    return line.find(filter.contains) != std::string_view::npos && line >= std::string_view(filter.lower) &&
           (filter.upper.empty() || line <= std::string_view(filter.upper));
}

}  // namespace qvr::fuzz
