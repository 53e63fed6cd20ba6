#include "input/view_fill.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "common/file_error.h"
#include "common/line_reader.h"
#include "common/whole_text.h"

namespace qvr {

namespace {

[[noreturn]] void out_of_memory(const std::string& path) {
    throw_file_error("Cannot read file", path, ENOMEM);
}

constexpr std::uint64_t kBytesPerChar = 2;
constexpr std::uint64_t kBytesPerLine = 32;

/// Refuses a view that would not fit.
void check_room(const std::string& path, std::uint64_t chars, std::uint64_t lines,
                std::uint64_t memory_available) {
    if (chars > kMaxViewChars || view_memory_need(chars, lines) > memory_available) out_of_memory(path);
}

}  // namespace

std::uint64_t view_memory_need(std::uint64_t chars, std::uint64_t lines) {
    return chars * kBytesPerChar + lines * kBytesPerLine;
}

void fill_first_lines(LineList& lines, const std::string& path, std::int64_t max_lines,
                      std::uint64_t memory_available, TextEncoding encoding) {
    lines.clear();
    LineReader reader(path);
    reader.read_text_in(encoding);
    reader.set_max_line_length(
        static_cast<std::size_t>(std::min(kMaxViewChars, memory_available / kBytesPerChar)));
    std::string_view line;
    std::uint64_t chars = 0;
    try {
        for (std::int64_t count = 0; count < max_lines && reader.next(line); ++count) {
            chars += line.size() + (count > 0 ? 1 : 0);
            check_room(path, chars, static_cast<std::uint64_t>(count) + 1, memory_available);
            lines.append(line);
        }
    } catch (...) {
        lines.clear();
        throw;
    }
}

void fill_whole_file(LineList& lines, const std::string& path, std::uint64_t memory_available,
                     TextEncoding encoding) {
    lines.clear();
    struct stat st {};
    // Every byte becomes at most one character, so the size tells before reading whether the text can be
    // held; the lines are known once it is read.
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        check_room(path, static_cast<std::uint64_t>(st.st_size), 0, memory_available);
    std::string text = load_whole_file(path);
    text.erase(0, text.size() - text_of_first_line(text, encoding, path).size());
    check_room(path, text.size(), 0, memory_available);
    lines.assign_text(std::move(text));
    if (view_memory_need(lines.length(), lines.size()) > memory_available) {
        lines.clear();
        out_of_memory(path);
    }
}

}  // namespace qvr
