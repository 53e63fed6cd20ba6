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

    WholeTextLines lines(text);
    std::vector<std::string> got;
    for (std::string_view line; lines.next(line);) got.emplace_back(line);
    QVR_FUZZ_CHECK(got == plain_lines(text) && lines.count() == got.size());
    return 0;
}
