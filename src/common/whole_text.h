#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "common/line_scan.h"

namespace qvr {

/// Loads a whole file into memory; throws FileError when it cannot be opened or read, std::bad_alloc
/// when memory runs out or the text grows past `most` bytes (a stream, whose size nobody tells before).
std::string load_whole_file(const std::string& path,
                            std::uint64_t most = std::numeric_limits<std::uint64_t>::max());

/// The lines of a text loaded whole, as the standard extract reads its input: a line ends at CR LF, at a
/// lone CR or at a lone LF; a byte 0 ends the text; the last line needs no line end.
class WholeTextLines : public TextLines {
  public:
    explicit WholeTextLines(std::string_view text) : TextLines(up_to_nul(text)) {}
};

}  // namespace qvr
