#include "batch/console.h"

#include <memory>
#include <string>

#include "common/output_file.h"

namespace qvr {

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

void tell(const Console& console, std::string_view text) { console.err << as_lines(text) << std::flush; }

}  // namespace qvr
