#pragma once

// What the fuzz targets share: files made from the fuzzer's bytes without touching the disk, and the
// line rules written out plainly, as the independent account the readers are compared with.

#include <fcntl.h>
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
        QVR_FUZZ_CHECK(fd_ >= 0);
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            QVR_FUZZ_CHECK(n > 0);
            done += static_cast<std::size_t>(n);
        }
        path_ = "/proc/self/fd/" + std::to_string(fd_);
    }
    ~MemoryFile() { ::close(fd_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    const std::string& path() const { return path_; }

  private:
    int fd_;
    std::string path_;
};

/// A folder for files that must have a real place (written beside, renamed), in memory where the system
/// offers it; made for one run and removed after it (libFuzzer ends without running exit handlers).
class ScratchFolder {
  public:
    ScratchFolder() {
        path_ = (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + std::string("/qvr-fuzz-XXXXXX");
        QVR_FUZZ_CHECK(::mkdtemp(path_.data()) != nullptr);
        path_ += '/';
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    /// The folder, ending in "/".
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

/// The lines of `text`, the last needing no line end. Read line by line (`whole` false): a carriage
/// return ends a line, with a line feed right after it; any other line feed is an ordinary character;
/// Ctrl+Z ends the file. Loaded whole: CR LF, a lone CR or a lone LF ends a line; a byte 0 ends the text.
inline std::vector<std::string> plain_lines(std::string_view text, bool whole) {
    text = text.substr(0, text.find(whole ? '\0' : '\x1a'));
    std::vector<std::string> lines;
    std::string line;
    bool open = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || (whole && text[i] == '\n')) {
            lines.push_back(line);
            line.clear();
            open = false;
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += text[i];
            open = true;
        }
    }
    if (open) lines.push_back(line);
    return lines;
}

/// A signed 32-bit decimal number: an optional minus sign and digits, nothing else.
inline std::optional<std::int64_t> plain_number(std::string_view text) {
    const bool negative = !text.empty() && text[0] == '-';
    const std::string_view digits = text.substr(negative ? 1 : 0);
    if (digits.empty()) return std::nullopt;
    std::int64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = std::min<std::int64_t>(value * 10 + (c - '0'), std::int64_t{1} << 40);
    }
    if (negative) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return value;
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
        if (i > 0) out += separator;
        const std::int64_t first = std::max<std::int64_t>(slices[i].start, 1) - 1;
        const std::int64_t end = std::min<std::int64_t>(first + slices[i].length, std::ssize(line));
        std::string_view field = first < end ? line.substr(first, end - first) : std::string_view();
        out += trim ? plain_trim(field) : field;
    }
    return out;
}

/// Whether `a` comes before `b` byte by byte, bytes as unsigned values, the shorter first on a tie.
inline bool bytes_below(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
}

/// The line filter: contains the contains text, is not below the lower bound nor above a given upper one.
inline bool plain_passes(std::string_view line, const LineFilter& filter) {
    if (!filter.contains.empty() && line.find(filter.contains) == std::string_view::npos) return false;
    if (bytes_below(line, filter.lower)) return false;
    return filter.upper.empty() || !bytes_below(filter.upper, line);
}

}  // namespace qvr::fuzz
