#pragma once

#include <cstdint>
#include <string>

#include "common/line_list.h"
#include "common/text_encoding.h"

namespace qvr {

// The lines that fill the input view from the input file, as the file's bytes. A file whose view would
// need more memory than `memory_available` bytes (or more characters than a text box can address) throws
// FileError with the system's out-of-memory reason, checked before the memory is taken: on this platform
// running out of memory kills the process instead of failing an allocation. On a failure `lines` is left
// empty. The input is read as text in `encoding` (text_of_first_line()).

/// The first `max_lines` lines of `path` read line by line (none when `max_lines` is 0 or less); only
/// those lines are read. Throws FileError.
void fill_first_lines(LineList& lines, const std::string& path, std::int64_t max_lines,
                      std::uint64_t memory_available, TextEncoding encoding = TextEncoding::cp1252);

/// The whole of `path`, split into lines as a text box loads a file: at carriage return plus line feed,
/// at a lone carriage return and at a lone line feed. Throws FileError.
void fill_whole_file(LineList& lines, const std::string& path, std::uint64_t memory_available,
                     TextEncoding encoding = TextEncoding::cp1252);

/// The memory a view of `chars` characters in `lines` lines takes while it is filled: its bytes, room for
/// as many again while they grow, and its bookkeeping of every line.
std::uint64_t view_memory_need(std::uint64_t chars, std::uint64_t lines);

/// The most characters a view can hold: its selection counts in the same 32-bit places as a text box.
inline constexpr std::uint64_t kMaxViewChars = 0x7FFF'FFFE;

}  // namespace qvr
