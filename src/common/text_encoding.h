#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "common/utf8_chars.h"

namespace qvr {

/// How the bytes of the input stand for characters, so what a column is. The rules every reader of the
/// input follows live here: the byte order mark, what counts as an invalid byte, when a text reads as
/// UTF-8, and how a run names the encoding it used.
enum class TextEncoding {
    cp1252,  ///< one byte per column
    utf8,    ///< one character per column; bytes that are not UTF-8 count one column each
};

/// The most bytes a column takes in `encoding`: a UTF-8 character takes up to four.
inline constexpr std::size_t most_bytes_per_column(TextEncoding encoding) {
    return encoding == TextEncoding::utf8 ? 4 : 1;
}

/// What a column of one line is in an encoding: a byte in Windows-1252, a character in UTF-8 (a byte
/// that starts none, one column). Every part that maps columns to bytes takes its slices here. Slices
/// taken in column order cost one walk over the line: the walk goes on from the last one, over runs of
/// ASCII eight bytes at a time. In Windows-1252 a slice is a plain substring.
class LineColumns {
  public:
    LineColumns(std::string_view line, TextEncoding encoding)
        : begin_(line.data()),
          end_(begin_ + line.size()),
          p_(begin_),
          utf8_(encoding == TextEncoding::utf8) {}

    /// Up to `count` columns from column `first` (both counted from 0), fewer when the line ends earlier.
    std::string_view slice(std::size_t first, std::size_t count) {
        const auto size = static_cast<std::size_t>(end_ - begin_);
        if (!utf8_)
            return first < size ? std::string_view(begin_ + first, std::min(count, size - first))
                                : std::string_view();
        const char* b = seek(first);
        const char* e = seek(count > SIZE_MAX - first ? SIZE_MAX : first + count);
        return {b, static_cast<std::size_t>(e - b)};
    }

  private:
    /// The first byte of column `target`, or the line's end.
    const char* seek(std::size_t target) {
        if (target < column_) {
            p_ = begin_;
            column_ = 0;
        }
        while (column_ < target && p_ < end_) {
            if (target - column_ >= 8 && end_ - p_ >= 8) {
                std::uint64_t word;
                std::memcpy(&word, p_, sizeof word);
                if ((word & 0x8080808080808080ull) == 0) {
                    p_ += 8;
                    column_ += 8;
                    continue;
                }
            }
            p_ += utf8_char_size(p_, end_);
            ++column_;
        }
        return p_;
    }

    const char* begin_;
    const char* end_;
    const char* p_;
    std::size_t column_ = 0;
    bool utf8_;
};

/// `line` with each of its columns in `encoding` as one byte, for passes that look at columns one by one:
/// in UTF-8 a character of several bytes stands as its first byte (0xC2 or above: never a blank, always
/// text). A line of one byte a column comes back as it is; another is narrowed into `room`.
std::string_view one_byte_a_column(std::string_view line, TextEncoding encoding, std::string& room);

/// "Windows-1252" or "UTF-8", as messages and the job log name it.
const char* encoding_name(TextEncoding encoding);

/// The UTF-8 byte order mark, which some editors put in front of a file. It is no text: in UTF-8 a reader
/// skips it, so it never becomes part of the first field. In Windows-1252 its bytes are three characters
/// like any others ("ï»¿"), as the user chose.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

/// The bytes of `first_line` (a file's first line, or its first bytes) that are text in `encoding`: all
/// of them, or those after a UTF-8 byte order mark in UTF-8. Throws FileError "Cannot read file <path>.
/// ..." for a file that begins with a UTF-16 byte order mark (FF FE or FE FF), in either encoding: every
/// other byte of such a file is 0 or a part of a character, and cut by bytes it would give garbage.
std::string_view text_of_first_line(std::string_view first_line, TextEncoding encoding,
                                    const std::string& path);

/// The encoding a text taken from its first block alone reads in (standard input, which cannot be read
/// twice): UTF-8 when the block begins with the UTF-8 byte order mark or reads as UTF-8
/// (Utf8Tally::reads_as_utf8()), else Windows-1252.
TextEncoding encoding_of_first_block(std::string_view block);

/// Whether `line` holds a well-formed UTF-8 character beyond ASCII: read as Windows-1252, it would take
/// two to four columns where UTF-8 gives it one, and shift the fields after it.
bool holds_utf8_character(std::string_view line);

/// The reason a text settled as Windows-1252 by its first block is not read on: line `number` holds a
/// UTF-8 character (holds_utf8_character()).
std::string first_block_contradicted(std::uint64_t number);

/// Counts, over a text fed in pieces of any size, the well-formed UTF-8 characters beyond ASCII and the
/// bytes of 0x80 and above that start none (what the UTF-8 mode keeps as one column each). A character
/// cut by the end of a piece is judged with the next piece.
class Utf8Tally {
  public:
    void feed(std::string_view piece) { feed(piece.data(), piece.data() + piece.size()); }
    void feed(const char* p, const char* end);
    /// What a run in `used` tallies of the bytes it reads: in UTF-8 all of them, for the invalid bytes it
    /// met; in Windows-1252 only until they have settled against UTF-8 (a thousand invalid bytes, more
    /// than the characters allow): from there only a UTF-8 part a thousand times bigger could turn them,
    /// a file of two encodings that no choice cuts right, and the run is spared the tally's time.
    void feed_run(TextEncoding used, const char* p, const char* end) {
        if (used == TextEncoding::utf8 || invalid_ < kSettledInvalidBytes || reads_as_utf8()) feed(p, end);
    }
    /// The text ended: bytes held back for the next piece were a character cut short.
    void finish();
    /// The text goes on elsewhere (a sample's next part): bytes held back are not judged.
    void skip_to_elsewhere() { carried_ = 0; }
    /// Counts in what another tally of a following, finished piece of the text counted.
    void add(const Utf8Tally& other) {
        characters_ += other.characters_;
        invalid_ += other.invalid_;
    }

    std::uint64_t characters() const { return characters_; }  ///< well-formed beyond ASCII
    std::uint64_t invalid_bytes() const { return invalid_; }

    /// Whether the text reads as UTF-8: it holds a well-formed character beyond ASCII, and at most one
    /// invalid byte for every kUtf8CharactersPerInvalidByte of them (so with any invalid byte at all, at
    /// least that many characters). A Windows-1252 text with accents has nearly as many invalid bytes as
    /// accents; a UTF-8 text edited once in another encoding keeps a few among thousands of characters,
    /// and is better cut by characters, since an invalid byte is one column either way.
    bool reads_as_utf8() const;

  private:
    static constexpr std::uint64_t kSettledInvalidBytes = 1000;
    std::uint64_t characters_ = 0;
    std::uint64_t invalid_ = 0;
    char carry_[3] = {};
    std::size_t carried_ = 0;
};

/// See Utf8Tally::reads_as_utf8().
inline constexpr std::uint64_t kUtf8CharactersPerInvalidByte = 1000;

/// The line a run ends with, naming the encoding it cut in: "Encoding: UTF-8", with the invalid bytes it
/// met when there were any ("Encoding: UTF-8 (3 invalid bytes kept as they are)"); in Windows-1252, a
/// warning when `met` reads as UTF-8 (a file proposed as Windows-1252 from its first part, UTF-8 beyond),
/// since every character beyond ASCII then shifted the columns after it.
std::string encoding_line(TextEncoding used, const Utf8Tally& met);

/// Whether a run in `used` that met `met` cut characters as bytes: a Windows-1252 run over UTF-8 text.
bool cut_characters_as_bytes(TextEncoding used, const Utf8Tally& met);

/// Whether encoding_line() has more to say than the encoding's name: invalid bytes met, or characters
/// cut as bytes. The window adds it to its last box only then; the job log names the encoding always.
bool encoding_needs_a_word(TextEncoding used, const Utf8Tally& met);

}  // namespace qvr
