#pragma once

#include <QString>
#include <cstdint>
#include <string>

namespace qvr {

// The text that fills the input view from the input file, built whole before it is set in one step. A
// file whose view would need more memory than `memory_available` bytes (or more characters than a text
// box can address) throws FileError with the system's out-of-memory reason, checked before the memory is
// taken: on this platform running out of memory kills the process instead of failing an allocation.

/// The first `max_lines` lines of `path` read line by line (none when `max_lines` is 0 or less); only
/// those lines are read. Throws FileError.
QString first_lines_view_text(const std::string& path, std::int64_t max_lines,
                              std::uint64_t memory_available);

/// The whole of `path`, split into lines as a text box loads a file: at carriage return plus line feed,
/// at a lone carriage return and at a lone line feed. Throws FileError.
QString whole_file_view_text(const std::string& path, std::uint64_t memory_available);

/// The memory a view of `chars` characters in `lines` lines takes while it is set: the text built here
/// and the box's copy of it, two bytes a character each, and the box's bookkeeping of every line.
std::uint64_t view_memory_need(std::uint64_t chars, std::uint64_t lines);

/// The most characters a text box can hold: its positions are 32-bit.
inline constexpr std::uint64_t kMaxViewChars = 0x7FFF'FFFE;

}  // namespace qvr
