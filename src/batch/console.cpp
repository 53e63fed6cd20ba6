#include "batch/console.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string>

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

std::string shown_on_terminal(std::string_view text) {
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (text.substr(i, 2) == "\n\r") {
            shown += text.substr(i++, 2);
        } else if (byte == '\n') {
            shown += "\\n";
        } else if (byte == '\r') {
            shown += "\\r";
        } else if (byte == '\t') {
            shown += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            constexpr char kHex[] = "0123456789abcdef";
            shown += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
        } else {
            shown += static_cast<char>(byte);
        }
    }
    return shown;
}

void tell(const Console& console, std::string_view text) {
    console.err << as_lines(console.err_is_terminal ? shown_on_terminal(text) : std::string(text))
                << std::flush;
}

}  // namespace qvr
