// The line-by-line reader and the analysis' line count and size, against the line rules written out
// plainly, on any bytes, in blocks of any size, with a kept prefix and a longest line of any length.

#include <algorithm>
#include <cstdint>

#include "common/file_error.h"
#include "common/line_reader.h"
#include "fuzz_support.h"
#include "input/input_analysis.h"

using namespace qvr;
using namespace qvr::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    // The first three bytes say how the reader is used; the rest is the file. Small blocks put line ends,
    // line feeds and Ctrl+Z on every block boundary.
    const std::size_t block = 1 + data[0] % 64;
    const std::size_t prefix = data[1] >= 64 ? SIZE_MAX : data[1];
    const std::size_t max_line = data[2] >= 64 ? SIZE_MAX : data[2];
    const std::string_view text(reinterpret_cast<const char*>(data) + 3, size - 3);
    const MemoryFile file(text);
    const std::vector<std::string> expected = plain_lines(text, '\x1a');

    LineReader reader(file.path(), block);
    reader.keep_line_prefix(prefix);
    reader.set_max_line_length(max_line);
    std::size_t i = 0;
    try {
        for (std::string_view line; reader.next(line); ++i)
            QVR_FUZZ_CHECK(i < expected.size() && line == std::string_view(expected[i]).substr(0, prefix));
    } catch (const FileError&) {
        // Only a line that would be held beyond the longest allowed is refused.
        QVR_FUZZ_CHECK(i < expected.size() && std::min(expected[i].size(), prefix) > max_line);
        return 0;
    }
    QVR_FUZZ_CHECK(i == expected.size() && reader.bytes_read() == std::min(text.find('\x1a'), text.size()));
    if (begins_as_utf16(text)) {
        try {
            count_input_lines(file.path(), block);
            QVR_FUZZ_CHECK(false);
        } catch (const FileError&) {
        }
        return 0;
    }
    QVR_FUZZ_CHECK(count_input_lines(file.path(), block) == std::ssize(expected) &&
                   input_file_size(file.path()) == std::ssize(text));
    return 0;
}
