#pragma once

// What the fuzz targets share: files made from the fuzzer's bytes without touching the disk, and the
// line and field rules written out plainly, as the independent account the code is compared with.

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
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
#define QVR_FUZZ_CHECK(condition)                                                              \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)

/// A file that holds `bytes`, kept in memory and opened by its path like any file.
class MemoryFile {
  public:
    explicit MemoryFile(std::string_view bytes) : fd_(::memfd_create("fuzz", MFD_CLOEXEC)) {
        QVR_FUZZ_CHECK(fd_ >= 0 && ::write(fd_, bytes.data(), bytes.size()) == std::ssize(bytes));
    }
    ~MemoryFile() { ::close(fd_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

  private:
    int fd_;
};

/// A folder (its path ends in "/") for files that must have a real place (written beside, renamed), in
/// memory where the system offers it; made for one run and removed after it (libFuzzer ends without
/// running exit handlers).
class ScratchFolder {
  public:
    ScratchFolder() : path_(::access("/dev/shm", W_OK) == 0 ? "/dev/shm/qvr-XXXXXX" : "/tmp/qvr-XXXXXX") {
        QVR_FUZZ_CHECK(::mkdtemp(path_.data()) != nullptr);
        path_ += '/';
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

/// The lines of `text` up to its first `stop` byte (Ctrl+Z read line by line, NUL loaded whole): a line
/// ends at CR LF, a lone CR or a lone LF; a last line without line end is still a line.
inline std::vector<std::string> plain_lines(std::string_view text, char stop) {
    text = text.substr(0, text.find(stop));
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find_first_of("\r\n", at), text.size());
        lines.emplace_back(text.substr(at, end - at));
        at = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
    }
    return lines;
}

/// A signed 32-bit decimal number: an optional minus sign and digits, nothing else.
inline std::optional<std::int64_t> plain_number(std::string_view text) {
    const bool negative = text.starts_with('-');
    const std::string_view digits = text.substr(negative ? 1 : 0);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    std::int64_t value = 0;
    for (char c : digits) value = std::min<std::int64_t>(value * 10 + (c - '0'), std::int64_t{1} << 40);
    value = negative ? -value : value;
    return value < INT32_MIN || value > INT32_MAX ? std::nullopt : std::optional(value);
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
/// comparing bytes as unsigned values, the shorter first on a tie.
inline bool plain_passes(std::string_view line, const LineFilter& filter) {
    const auto below = [](std::string_view a, std::string_view b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
        });
    };
    return line.find(filter.contains) != std::string_view::npos && !below(line, filter.lower) &&
           (filter.upper.empty() || !below(filter.upper, line));
}

}  // namespace qvr::fuzz
