// The whole-file load and its line splitting, against the line rules written out plainly, on any bytes.

#include <cstdint>

#include "common/whole_text.h"
#include "fuzz_support.h"

using namespace qvr;
using namespace qvr::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const MemoryFile file(bytes);
    const std::string text = load_whole_file(file.path());
    QVR_FUZZ_CHECK(text == bytes);

    const std::vector<std::string> expected = plain_lines(text, true);
    WholeTextLines lines(text);
    QVR_FUZZ_CHECK(lines.count() == expected.size());
    std::size_t i = 0;
    std::string_view line;
    while (lines.next(line)) {
        QVR_FUZZ_CHECK(i < expected.size());
        QVR_FUZZ_CHECK(line == expected[i]);
        ++i;
    }
    QVR_FUZZ_CHECK(i == expected.size());
    return 0;
}
