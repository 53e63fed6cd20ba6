#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/line_lengths.h"
#include "common/text_encoding.h"

namespace qvr {

/// Above these figures an input file is better read by the fast extract, which keeps one line in memory.
inline constexpr std::int64_t kBigInputBytes = 30'000'000;
inline constexpr std::int64_t kBigInputLines = 150'000;

/// The size of the file in bytes, taken from the file system without reading it; 64-bit, since input
/// files may exceed 2 GiB. Throws FileError when the file cannot be opened.
std::int64_t input_file_size(const std::string& path);

/// The number of lines of the file as the line-by-line reader reads it (a carriage return ends a line, a
/// line feed right after it belongs to that line end, Ctrl+Z ends the file, a last line without line end
/// counts), counted in blocks of `block_size` bytes without keeping any line. The input is read as text in
/// `encoding` (text_of_first_line()). Throws FileError.
std::int64_t count_input_lines(const std::string& path, std::size_t block_size = 1 << 17,
                               TextEncoding encoding = TextEncoding::cp1252);

/// The lines of a file counted as count_input_lines() counts them, and by length (in bytes, line ends not
/// counted), in the same pass.
struct InputLines {
    std::int64_t count = 0;
    LineLengths lengths;
    /// The file's size; standard input's counted through its end, as it tells none before.
    std::int64_t size = 0;
};
InputLines measure_input_lines(const std::string& path, std::size_t block_size = 1 << 17,
                               TextEncoding encoding = TextEncoding::cp1252);

/// Whether the fast extract should be recommended for a file of these figures.
bool is_big_input(std::int64_t size, std::int64_t line_count);

/// The report of the analysis: "Input file...", the size and the line count, and for a big file the
/// recommendation of the fast extract, then `lengths` (LineLengths::text()) when there is one, the lines
/// separated by line feed and carriage return.
std::string analysis_message(std::int64_t size, std::int64_t line_count, const std::string& lengths = "");

}  // namespace qvr
