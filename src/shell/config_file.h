#pragma once

#include <string>

namespace qvr {

/// The three links of the Help menu.
struct LinkTexts {
    std::string author = "https://quarvel.example.org/author/";
    std::string home = "https://quarvel.example.org/";
    std::string mail = "mailto:author@quarvel.example.org?subject=About Quarvel 32 bits";
};

/// Applies the configuration file at `path` to `links`: each line's first four characters are a key
/// ("AUTH", "QVRH", "MAIL", case-sensitive), the next 80 at most its value, nothing trimmed; the last line
/// of a key wins. A missing file changes nothing; a file that cannot be read, or is larger than 1 MB,
/// throws FileError and changes nothing.
void apply_config_file(const std::string& path, LinkTexts& links);

}  // namespace qvr
