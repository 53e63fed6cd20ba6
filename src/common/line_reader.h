#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/line_scan.h"
#include "common/text_encoding.h"

namespace qvr {

/// The block size of line-by-line reading: small enough that a block stays in the processor's cache from
/// the kernel's copy to the last line cut from it, which makes the whole pass about twice as fast as with
/// blocks of a megabyte.
inline constexpr std::size_t kLineReaderBlock = 1 << 17;

/// Reads a text file line by line, the way most of the program reads its files: a line ends at CR LF, at
/// a lone CR or at a lone LF; a byte 26 (Ctrl+Z) ends the file; a last line without line end is still a
/// line.
/// Reads in large blocks and hands out views, so a line costs no allocation unless it spans two blocks.
class LineReader {
  public:
    /// Opens `path`; throws FileError when it cannot be opened or is no regular file (common/regular_file.h).
    /// `rule` says where lines end (StreamSplitter).
    explicit LineReader(const std::string& path, std::size_t block_size = kLineReaderBlock,
                        StreamSplitter::Rule rule = StreamSplitter::Rule::input);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    /// The next line without its line end, valid until the next call; false at the end of the file.
    /// Throws FileError when the file cannot be read.
    bool next(std::string_view& line);

    /// Bytes of the file consumed so far, line ends included.
    std::uint64_t bytes_read() const { return consumed_; }

    /// Bounds the memory an endless line can take: a line that spans blocks and grows past `max` bytes
    /// makes next() throw FileError with the system's out-of-memory reason instead of being held whole.
    void set_max_line_length(std::size_t max) { max_line_ = max; }

    /// For readers that look only at the first columns: lines are handed out cut to their first `bytes`
    /// bytes, and the rest of a longer line is read past without being held, so that a line of gigabytes
    /// (a file without line ends) takes no more memory than a short one.
    void keep_line_prefix(std::size_t bytes) {
        wanted_prefix_ = bytes;
        set_prefix();
    }

    /// Reads the file as input text in `encoding` (called before the first line): the first line leaves
    /// out a UTF-8 byte order mark in UTF-8, and a file with a UTF-16 mark is refused
    /// (text_of_first_line()); every byte read is tallied as UTF-8 (tally()).
    void read_text_in(TextEncoding encoding);

    /// Reads the file as input text in the encoding its first block reads in (encoding_of_first_block()),
    /// for standard input, which cannot be read twice to propose one (called before the first line).
    /// Settled as Windows-1252, a line that holds a UTF-8 character makes next() throw FileError naming
    /// it (first_block_contradicted()), so no field is shifted silently.
    TextEncoding settle_text_encoding();

    /// What the bytes read so far hold as UTF-8, once read_text_in() was called; complete at the end.
    const Utf8Tally& tally() const { return tally_; }
    /// The length of the last line handed out before it was cut to the kept prefix.
    std::uint64_t line_size() const { return line_size_; }
    /// Whether the part of the last line read past the kept prefix holds a byte other than a blank.
    /// Looked for only when asked for before reading, so that other readers do not pay for it.
    void watch_text_past_prefix() { watch_past_ = true; }
    bool text_past_prefix() const { return text_past_; }

  private:
    bool fill();
    bool read_line(std::string_view& line);
    /// Adds the part of `n` bytes at `p` that the kept prefix still has room for to the line held.
    void hold(const char* p, std::size_t n);
    /// Counts the `n` bytes at `p` into the line, of which the first `kept` are handed out.
    void measure(const char* p, std::size_t n, std::size_t kept);
    /// Hands out the line that ends after the `n` bytes at `p`.
    void hand_out(const char* p, std::size_t n, bool have_text, std::string_view& line);

    std::string path_;
    int fd_ = -1;
    std::size_t block_size_;
    std::unique_ptr<char[]> block_;  // not cleared first: a small file touches only what it fills
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool eof_ = false;
    StreamSplitter splitter_;
    std::string carry_;  // a line that spans blocks
    std::uint64_t consumed_ = 0;
    std::size_t max_line_ = static_cast<std::size_t>(-1);
    std::size_t prefix_ = static_cast<std::size_t>(-1);
    std::size_t wanted_prefix_ = static_cast<std::size_t>(-1);
    void set_prefix();
    std::optional<TextEncoding> text_encoding_;  // set: the input, read as text
    bool first_line_ = true;
    Utf8Tally tally_;
    std::uint64_t line_size_ = 0;
    bool watch_past_ = false;
    bool watch_utf8_ = false;  // settled as Windows-1252 by the first block
    std::uint64_t lines_ = 0;
    bool text_past_ = false;
};

}  // namespace qvr
