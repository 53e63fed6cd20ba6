#include "shell/config_file.h"

#include <string_view>

#include "common/file_names.h"
#include "common/line_reader.h"

namespace qvr {

void apply_config_file(const std::string& path, LinkTexts& links) {
    if (!file_exists(path)) return;
    LineReader reader(path, 1 << 16);
    std::string_view line;
    while (reader.next(line)) {
        std::string_view key = line.substr(0, 4);
        std::string_view value = line.size() > 4 ? line.substr(4, 80) : std::string_view();
        if (key == "AUTH") {
            links.author = value;
        } else if (key == "QVRH") {
            links.home = value;
        } else if (key == "MAIL") {
            links.mail = value;
        }
    }
}

}  // namespace qvr
