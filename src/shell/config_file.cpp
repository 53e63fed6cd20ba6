#include "shell/config_file.h"

#include <sys/stat.h>

#include <cstdint>
#include <string_view>

#include "common/file_error.h"
#include "common/file_names.h"
#include "common/line_reader.h"

namespace qvr {

namespace {
constexpr std::size_t kKeyLength = 4;
constexpr std::size_t kLongestValue = 80;
/// A configuration file is a few lines; anything bigger is no configuration file, and start-up does not
/// wait for it to be read.
constexpr std::uint64_t kLargestFile = std::uint64_t{1} << 20;
constexpr const char* kTooLarge = "It is larger than 1 MB";
}  // namespace

void apply_config_file(const std::string& path, LinkTexts& applied) {
    if (!file_exists(path)) return;
    LineReader reader(path, 1 << 16);
    // Its size first, as a line without end would be read through before the loop could look; the loop
    // looks again in case it grows.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && static_cast<std::uint64_t>(st.st_size) > kLargestFile)
        throw_file_error("Cannot read file", path, std::string_view(kTooLarge));
    reader.keep_line_prefix(kKeyLength + kLongestValue);
    LinkTexts links = applied;
    std::string_view line;
    while (reader.next(line)) {
        if (reader.bytes_read() > kLargestFile)
            throw_file_error("Cannot read file", path, std::string_view(kTooLarge));
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
    applied = links;
}

}  // namespace qvr
