#pragma once

#include <string>
#include <string_view>

#include "common/line_scan.h"

namespace qvr {

/// Loads a whole file into memory; throws FileError when it cannot be opened or read, std::bad_alloc
/// when memory runs out.
std::string load_whole_file(const std::string& path);

/// The lines of a text loaded whole, as the standard extract reads its input: a line ends at CR LF, at a
/// lone CR or at a lone LF; a byte 0 ends the text; the last line needs no line end.
class WholeTextLines : public TextLines {
  public:
    explicit WholeTextLines(std::string_view text) : TextLines(up_to_nul(text)) {}
};

}  // namespace qvr
