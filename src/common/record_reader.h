#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/line_reader.h"
#include "common/text_encoding.h"

namespace qvr {

/// How the records of an input are framed: text lines (the usual), records of one fixed length with no
/// line ends (a mainframe's RECFM=F), or variable records each behind a record descriptor word
/// (RECFM=V): 2 bytes of length, big-endian, counting the word itself, then 2 bytes of zeros.
enum class RecordFormat { lines, fixed, rdw };

/// What a run says about the framing of its input: the format, the length of fixed records, and how many
/// leading and trailing records (headers and trailers) are left out.
struct RecordFraming {
    RecordFormat format = RecordFormat::lines;
    std::size_t record_length = 0;  ///< fixed records only; 1 or more
    std::uint64_t skip_first = 0;
    std::uint64_t skip_last = 0;  ///< held back in memory: skip_last records at a time
};

/// The most trailing records a run may leave out: they are held in memory until the input ends.
inline constexpr std::uint64_t kMostSkippedLast = 100000;
/// The longest fixed record a run takes (a mainframe's own limit is 32,760 bytes): the buffer holds one.
inline constexpr std::size_t kMostRecordLength = 1 << 24;

/// The records of an input, one after the other, with the shape of LineReader::next(), so that whatever
/// reads lines reads records too. A record is handed out as a view valid until the next call.
class RecordReader {
  public:
    virtual ~RecordReader() = default;
    /// The next record; false at the end of the input. Throws FileError when the input cannot be read or
    /// its framing is broken (naming the file, the record's number and its offset).
    virtual bool next(std::string_view& record) = 0;
    /// Bytes of the input consumed so far, framing included.
    virtual std::uint64_t bytes_read() const = 0;
};

/// Lines as LineReader cuts them (line ends, Ctrl+Z), read as text in `encoding`.
class LineRecords final : public RecordReader {
  public:
    LineRecords(const std::string& path, TextEncoding encoding) : reader_(path) {
        reader_.read_text_in(encoding);
    }
    bool next(std::string_view& record) override { return reader_.next(record); }
    std::uint64_t bytes_read() const override { return reader_.bytes_read(); }
    LineReader& reader() { return reader_; }

  private:
    LineReader reader_;
};

/// Reads an input through one large buffer, so that a record is always one contiguous view of it: when
/// fewer bytes than a record needs are left, they move to the buffer's front and the rest is read behind
/// them. A plain read() loop; the memory is the buffer, whatever the file's size.
class ByteWindow {
  public:
    /// Opens `path` (a regular file or standard input); `capacity` is at least the longest record.
    ByteWindow(const std::string& path, std::size_t capacity);
    ~ByteWindow();
    ByteWindow(const ByteWindow&) = delete;
    ByteWindow& operator=(const ByteWindow&) = delete;

    /// Makes at least `n` (up to the capacity) bytes available from the current position unless the input
    /// ends first; returns how many are available.
    std::size_t want(std::size_t n);
    const char* data() const { return buffer_.get() + begin_; }
    std::size_t available() const { return end_ - begin_; }
    void consume(std::size_t n) {
        begin_ += n;
        offset_ += n;
    }
    /// Offset in the input of the current position.
    std::uint64_t offset() const { return offset_; }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
    int fd_ = -1;
    std::size_t capacity_;
    std::unique_ptr<char[]> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool eof_ = false;
    std::uint64_t offset_ = 0;
};

/// Records of `length` bytes each, no line ends. A last record shorter than that is a broken file, not a
/// record to pad: next() throws FileError naming its number, offset and size.
class FixedRecords final : public RecordReader {
  public:
    FixedRecords(const std::string& path, std::size_t length, std::size_t buffer_size = 1 << 20);
    bool next(std::string_view& record) override;
    std::uint64_t bytes_read() const override { return window_.offset(); }

  private:
    ByteWindow window_;
    std::size_t length_;
    std::uint64_t number_ = 0;
};

/// Variable records behind record descriptor words. A word whose length is below 4 or whose last two
/// bytes are not zero, and a record cut short by the end of the file, make next() throw FileError naming
/// the record's number and offset.
class RdwRecords final : public RecordReader {
  public:
    /// The length word counts 2 bytes: no record with its word is longer than this.
    static constexpr std::size_t kMostRecordSize = 0xFFFF;

    explicit RdwRecords(const std::string& path, std::size_t buffer_size = 1 << 20);
    bool next(std::string_view& record) override;
    std::uint64_t bytes_read() const override { return window_.offset(); }

  private:
    [[noreturn]] void broken(std::string_view what) const;
    ByteWindow window_;
    std::uint64_t number_ = 0;
};

/// Leaves out the first and the last records of another reader. The last ones are found by holding
/// `last` records back in a ring of copies (their memory reused), so the memory is that of `last` + 1
/// records, whatever the file's size.
class SkippedRecords final : public RecordReader {
  public:
    SkippedRecords(std::unique_ptr<RecordReader> inner, std::uint64_t first, std::uint64_t last);
    bool next(std::string_view& record) override;
    std::uint64_t bytes_read() const override { return inner_->bytes_read(); }

  private:
    std::unique_ptr<RecordReader> inner_;
    std::uint64_t first_;
    std::vector<std::string> ring_;  // last + 1 slots once skipping trailers
    std::size_t oldest_ = 0;
    std::size_t held_ = 0;
};

/// The records of the input at `path` under `framing`; lines are read as text in `encoding`. Throws
/// FileError when the input cannot be opened, UserError for a framing that cannot be (a record length of
/// 0, more trailing records to skip than kMostSkippedLast).
std::unique_ptr<RecordReader> open_records(const std::string& path, const RecordFraming& framing,
                                           TextEncoding encoding);

}  // namespace qvr
