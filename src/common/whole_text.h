#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/line_scan.h"
#include "common/text_encoding.h"

namespace qvr {

/// Loads a whole file into memory; throws FileError when it cannot be opened or read, std::bad_alloc
/// when memory runs out. No more than the size the file had when opened is read (a file that tells no
/// size, as in /proc, is read to its end), and at most `max_bytes`; `grew` (may be null) learns whether
/// the file held more.
std::string load_whole_file(const std::string& path, std::uint64_t max_bytes = UINT64_MAX,
                            bool* grew = nullptr);

/// The lines of a text loaded whole, as the standard extract reads its input: a line ends at CR LF, at a
/// lone CR or at a lone LF; a byte 0 is a byte of its line, as every reader takes it; the last line needs
/// no line end.
class WholeTextLines : public TextLines {
  public:
    explicit WholeTextLines(std::string_view text) : TextLines(text) {}
};

/// The lines of a file read block by block under the rule of WholeTextLines, so that a reader of the
/// input in order needs no more memory than a block and its longest line. Like load_whole_file(), it
/// reads no more than the size the file had when opened.
class WholeTextReader {
  public:
    /// Opens `path`; throws FileError (common/regular_file.h).
    explicit WholeTextReader(const std::string& path, std::size_t block_size = std::size_t{1} << 20);
    ~WholeTextReader();
    WholeTextReader(const WholeTextReader&) = delete;
    WholeTextReader& operator=(const WholeTextReader&) = delete;

    /// The next line without its line end, valid until the next call; false after the last. Throws
    /// FileError when the file cannot be read, std::bad_alloc when a line does not fit in memory.
    bool next(std::string_view& line);

    /// Reads the file as input text in `encoding`, as LineReader::read_text_in() does.
    void read_text_in(TextEncoding encoding) { text_encoding_ = encoding; }
    /// Settles the encoding from the first block, as LineReader::settle_text_encoding() does.
    TextEncoding settle_text_encoding();
    /// What the bytes read so far hold as UTF-8, once read_text_in() was called; complete at the end.
    const Utf8Tally& tally() const { return tally_; }

    /// The file's size when it was opened.
    std::uint64_t size() const { return size_; }
    /// Bytes of the file before the line next() handed out last.
    std::uint64_t line_start() const { return line_start_; }
    /// Whether the file held more than its size when opened (known at its end).
    bool grew() const { return grew_; }
    /// Whether the file ended before the size it had when opened (cut short while it was read; known at
    /// its end).
    bool shrank() const { return shrank_; }

  private:
    bool fill();
    bool read_line(std::string_view& line);

    std::string path_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::uint64_t limit_ = 0;  // bytes still to read
    std::string block_;
    std::size_t begin_ = 0, end_ = 0;
    std::uint64_t offset_ = 0;  // the file's bytes before block_[begin_]
    std::uint64_t line_start_ = 0;
    bool at_end_ = false;
    bool grew_ = false;
    std::optional<TextEncoding> text_encoding_;  // set: the input, read as text
    bool first_line_ = true;
    Utf8Tally tally_;
    bool shrank_ = false;
    bool watch_utf8_ = false;  // settled as Windows-1252 by the first block
    std::uint64_t lines_ = 0;
};

}  // namespace qvr
