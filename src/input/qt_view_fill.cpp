#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "common/file_error.h"
#include "common/line_reader.h"
#include "common/regular_file.h"
#include "input/view_fill.h"
#include "input/view_text.h"

namespace qvr {

namespace {

[[noreturn]] void out_of_memory(const std::string& path) {
    throw_file_error("Cannot read file", path, ENOMEM);
}

constexpr std::uint64_t kBytesPerChar = 4;
constexpr std::uint64_t kBytesPerLine = 160;

/// Refuses a view that would not fit.
void check_room(const std::string& path, std::uint64_t chars, std::uint64_t lines,
                std::uint64_t memory_available) {
    if (chars > kMaxViewChars || view_memory_need(chars, lines) > memory_available) out_of_memory(path);
}

struct Fd {
    int fd;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

/// Turns the bytes of a file into view text block by block, a line break for every line end; a line feed
/// right after a carriage return belongs to it, also across blocks.
class WholeTextConverter {
  public:
    explicit WholeTextConverter(QString& text) : text_(text) {}

    void feed(const char* p, std::size_t n) {
        std::size_t i = 0;
        if (after_cr_ && p[0] == '\n') i = 1;
        after_cr_ = false;
        while (i < n) {
            std::size_t end = i;
            while (end < n && p[end] != '\r' && p[end] != '\n') ++end;
            append_view_chars(text_, std::string_view(p + i, end - i));
            if (end == n) break;
            text_ += QChar(u'\n');
            ++breaks_;
            if (p[end] == '\r') {
                if (end + 1 == n)
                    after_cr_ = true;
                else if (p[end + 1] == '\n')
                    ++end;
            }
            i = end + 1;
        }
    }

    /// A line end after the last line starts no further line.
    void finish() {
        if (text_.endsWith(QChar(u'\n'))) {
            text_.chop(1);
            --breaks_;
        }
    }

    std::uint64_t line_count() const { return text_.isEmpty() ? 0 : breaks_ + 1; }

  private:
    QString& text_;
    bool after_cr_ = false;
    std::uint64_t breaks_ = 0;
};

}  // namespace

std::uint64_t view_memory_need(std::uint64_t chars, std::uint64_t lines) {
    return chars * kBytesPerChar + lines * kBytesPerLine;
}

QString first_lines_view_text(const std::string& path, std::int64_t max_lines,
                              std::uint64_t memory_available) {
    LineReader reader(path);
    reader.set_max_line_length(
        static_cast<std::size_t>(std::min(kMaxViewChars, memory_available / kBytesPerChar)));
    QString text;
    std::string_view line;
    for (std::int64_t count = 0; count < max_lines && reader.next(line); ++count) {
        const std::uint64_t chars =
            static_cast<std::uint64_t>(text.size()) + line.size() + (count > 0 ? 1 : 0);
        check_room(path, chars, static_cast<std::uint64_t>(count) + 1, memory_available);
        if (count > 0) text += QChar(u'\n');
        append_view_chars(text, line);
    }
    return text;
}

QString whole_file_view_text(const std::string& path, std::uint64_t memory_available) {
    struct stat st {};
    Fd f{open_regular_file(path, st)};
    // Every byte becomes at most one character, so the size tells before reading whether the text can
    // be held; the lines are known as they are read.
    check_room(path, static_cast<std::uint64_t>(st.st_size), 0, memory_available);

    QString text;
    text.reserve(static_cast<qsizetype>(st.st_size));
    WholeTextConverter converter(text);
    std::vector<char> block(1 << 20);
    for (;;) {
        const ssize_t got = ::read(f.fd, block.data(), block.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            throw_file_error("Cannot read file", path, errno);
        }
        if (got == 0) break;
        converter.feed(block.data(), static_cast<std::size_t>(got));
        check_room(path, static_cast<std::uint64_t>(text.size()), converter.line_count(), memory_available);
    }
    converter.finish();
    return text;
}

}  // namespace qvr
