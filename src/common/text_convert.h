#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/text_encoding.h"

namespace qvr {

/// What a result is written in: the input's own bytes (what every run wrote before there was a choice),
/// or the text converted to UTF-8 or to Windows-1252.
enum class OutputEncoding { same, utf8, cp1252 };

/// "same", "utf-8" or "cp1252", as the front end takes it; empty for another word.
std::optional<OutputEncoding> output_encoding_named(std::string_view word);

/// The encoding a run in `input` writes when asked for `output`, or nothing when it writes the input's
/// bytes as they are.
std::optional<TextEncoding> converted_output(TextEncoding input, OutputEncoding output);

/// What a summary adds when characters were written as "?": ' (3 characters replaced by "?")', or nothing.
std::string replaced_text(std::uint64_t replaced);

/// The Windows-1252 byte of the UTF-8 character of `size` bytes at `p` (utf8_char_size()): a stray byte
/// stays as it is, a character Windows-1252 lacks becomes "?" and is counted in `replaced`. The one rule
/// for every writer of Windows-1252 from UTF-8 (the dBase table, a converted result).
char windows_1252_byte(const char* p, std::size_t size, std::uint64_t& replaced);

/// Converts a text written in pieces of any size from one encoding into the other. Windows-1252 becomes
/// UTF-8 byte by byte through the program's one character map (its five undefined bytes are the C1
/// controls of the same value); UTF-8 becomes Windows-1252 character by character (windows_1252_byte()),
/// a character cut by the end of a piece waiting for the next.
class TextConverter {
  public:
    explicit TextConverter(TextEncoding from) : from_(from) {}

    /// Appends the converted form of `piece` to `out`.
    void convert(std::string_view piece, std::string& out);
    /// The text ended: bytes held back for the next piece were a character cut short, kept as they are.
    void finish(std::string& out);
    /// Characters written as "?" so far.
    std::uint64_t replaced() const { return replaced_; }

  private:
    void to_windows_1252(const char* p, const char* end, std::string& out);

    TextEncoding from_;
    std::string carry_;  // the start of a UTF-8 character the piece ended in
    std::uint64_t replaced_ = 0;
};

}  // namespace qvr
