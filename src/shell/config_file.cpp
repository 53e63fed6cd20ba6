#include "shell/config_file.h"

#include <string_view>

#include "common/file_names.h"
#include "common/line_reader.h"

namespace qvr {

namespace {
constexpr std::size_t kKeyLength = 4;
constexpr std::size_t kLongestValue = 80;
}  // namespace

void apply_config_file(const std::string& path, LinkTexts& links) {
    if (!file_exists(path)) return;
    LineReader reader(path, 1 << 16);
    reader.keep_line_prefix(kKeyLength + kLongestValue);
    std::string_view line;
    while (reader.next(line)) {
        std::string_view key = line.substr(0, kKeyLength);
        std::string_view value =
            line.size() > kKeyLength ? line.substr(kKeyLength, kLongestValue) : std::string_view();
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
