#include "batch/console.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string>

#include "common/char_map.h"
#include "common/output_file.h"

namespace qvr {

bool hold_closed_standard_input() {
    if (::fcntl(STDIN_FILENO, F_GETFD) >= 0 || errno != EBADF) return false;
    // open() takes the lowest free descriptor: 0 itself.
    const int fd = ::open("/dev/null", O_RDONLY);
    if (fd > STDIN_FILENO) ::close(fd);
    return true;
}

void write_out(const Console& console, std::string_view text) {
    std::unique_ptr<OutputFile> out = OutputFile::borrow(console.out_fd, "standard output");
    out->write(text);
    out->close();
}

std::string as_lines(std::string_view text) {
    std::string lines(text);
    for (std::size_t at = lines.find("\n\r"); at != std::string::npos; at = lines.find("\n\r", at + 1))
        lines.erase(at + 1, 1);
    return lines + '\n';
}

void tell(const Console& console, std::string_view text) {
    console.err << as_lines(console.err_is_terminal ? with_escaped_controls(text) : std::string(text))
                << std::flush;
}

}  // namespace qvr
