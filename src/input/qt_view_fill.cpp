#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "common/file_error.h"
#include "common/line_reader.h"
#include "input/view_fill.h"
#include "input/view_text.h"

namespace qvr {

namespace {

[[noreturn]] void out_of_memory(const std::string& path) {
    throw_file_error("Cannot read file", path, ENOMEM);
}

std::uint64_t usable_limit(std::uint64_t char_limit) { return std::min(char_limit, kMaxViewChars); }

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
        if (text_.endsWith(QChar(u'\n'))) text_.chop(1);
    }

  private:
    QString& text_;
    bool after_cr_ = false;
};

}  // namespace

QString first_lines_view_text(const std::string& path, std::int64_t max_lines, std::uint64_t char_limit) {
    const std::uint64_t limit = usable_limit(char_limit);
    LineReader reader(path);
    reader.set_max_line_length(static_cast<std::size_t>(limit));
    QString text;
    std::string_view line;
    for (std::int64_t count = 0; count < max_lines && reader.next(line); ++count) {
        if (static_cast<std::uint64_t>(text.size()) + line.size() + 1 > limit) out_of_memory(path);
        if (count > 0) text += QChar(u'\n');
        append_view_chars(text, line);
    }
    return text;
}

QString whole_file_view_text(const std::string& path, std::uint64_t char_limit) {
    Fd f{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (f.fd < 0) throw_file_error("Cannot open file", path, errno);
    struct stat st {};
    if (::fstat(f.fd, &st) != 0) throw_file_error("Cannot read file", path, errno);
    if (S_ISDIR(st.st_mode)) throw_file_error("Cannot open file", path, EISDIR);
    // Every byte becomes at most one character, so the size tells before reading whether the view can
    // take the file.
    const std::uint64_t limit = usable_limit(char_limit);
    if (static_cast<std::uint64_t>(st.st_size) > limit) out_of_memory(path);

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
        // A file that grows while it is read must not outgrow the limit either.
        if (static_cast<std::uint64_t>(text.size()) + static_cast<std::uint64_t>(got) > limit)
            out_of_memory(path);
        converter.feed(block.data(), static_cast<std::size_t>(got));
    }
    converter.finish();
    return text;
}

}  // namespace qvr
