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

void tell(const Console& console, std::string_view text) {
    std::string line(text);
    for (std::size_t at = line.find("\n\r"); at != std::string::npos; at = line.find("\n\r", at + 1))
        line.erase(at + 1, 1);
    line += '\n';
    console.err << line << std::flush;
}

}  // namespace qvr
