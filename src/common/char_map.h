#pragma once

#include <string>
#include <string_view>

namespace qvr {

/// The one mapping between the program's 8-bit characters and the characters widgets show: Windows-1252,
/// with its five undefined bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D) mapped to the C1 controls of the same
/// value, so the mapping is reversible and every byte is exactly one UTF-16 unit.
char16_t byte_to_char(unsigned char byte);

/// The byte of a character of the mapping, or -1 for a character outside it.
int char_to_byte(char16_t ch);

/// `text` with its control bytes (below 32, and 127) written as escapes ("\n", "\t", "\x1b"), for a text
/// from outside (a file or field name) shown in a message: it can then neither act on a terminal nor
/// forge a line.
std::string with_escaped_controls(std::string_view text);

}  // namespace qvr
