#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qvr {

/// Loads a whole file into memory; throws FileError when it cannot be opened or read, std::bad_alloc
/// when memory runs out.
std::string load_whole_file(const std::string& path);

/// The lines of a text loaded whole, as the standard extract reads its input: a line ends at CR LF, at a
/// lone CR or at a lone LF; a byte 0 ends the text; the last line needs no line end.
class WholeTextLines {
  public:
    explicit WholeTextLines(std::string_view text);

    /// The next line without its line end; false after the last line.
    bool next(std::string_view& line);

    /// How many lines the text holds (counted without consuming this cursor).
    std::uint64_t count() const;

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace qvr
