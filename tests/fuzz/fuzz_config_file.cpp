// The configuration file reader on any bytes: each link is the value of the last line of its key, as
// the line rules written out plainly give the lines, and never longer than 80 characters.

#include <cstdint>

#include "fuzz_support.h"
#include "shell/config_file.h"

using namespace qvr;
using namespace qvr::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const MemoryFile file(text);
    LinkTexts links;
    apply_config_file(file.path(), links);

    LinkTexts expected;
    for (const std::string& line : plain_lines(text, '\x1a')) {
        const std::string key = line.substr(0, 4);
        const std::string value = line.size() > 4 ? line.substr(4, 80) : std::string();
        if (key == "AUTH") expected.author = value;
        if (key == "QVRH") expected.home = value;
        if (key == "MAIL") expected.mail = value;
    }
    QVR_FUZZ_CHECK(links.author == expected.author && links.home == expected.home &&
                   links.mail == expected.mail);
    return 0;
}
