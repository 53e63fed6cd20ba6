#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "common/output_file.h"

struct isal_zstream;

namespace qvr {

class DeflatedFile;

/// A thread that deflates the blocks of DeflatedFiles, so that making an archive's bytes and compressing
/// them take two cores. The blocks of each file are deflated in the order they come.
class DeflateThread {
  public:
    DeflateThread();
    ~DeflateThread();  // deflates what it was given, then ends
    DeflateThread(const DeflateThread&) = delete;
    DeflateThread& operator=(const DeflateThread&) = delete;

  private:
    friend class DeflatedFile;
    /// Queues the next block of `file`.
    void hand_on(DeflatedFile& file);
    /// Waits until `blocks` blocks of `file` are deflated; rethrows the failure of one.
    void wait_for(DeflatedFile& file, std::uint64_t blocks);
    void run();

    std::mutex mutex_;
    std::condition_variable work_;  // a block to deflate, or the thread is to end
    std::condition_variable done_;  // a block was deflated
    std::deque<DeflatedFile*> queue_;
    bool ending_ = false;
    std::thread thread_;
};

/// The bytes of one archive entry, deflated (at the fastest level: the entries are markup that packs well
/// anyway) as they come, into a file without a name in `folder`; ZipArchive copies them in once finished.
/// Several can be written at a time: each is a stream of its own.
class DeflatedFile {
  public:
    /// `name` stands for the file in messages. Throws FileError when no file can be made in `folder`.
    DeflatedFile(DeflateThread& thread, const std::string& folder, std::string name);
    ~DeflatedFile();
    DeflatedFile(const DeflatedFile&) = delete;
    DeflatedFile& operator=(const DeflatedFile&) = delete;

    /// The bytes a block holds; room() asks for at most as many.
    static constexpr std::size_t kBlockSize = std::size_t{1} << 20;

    /// Room for `n` bytes, written in place and kept by advance() (as OutputFile's).
    char* room(std::size_t n) {
        if (n > kBlockSize - used_) hand_on(false);
        return block_ + used_;
    }
    void advance(std::size_t n) { used_ += n; }
    void write(std::string_view bytes) {
        if (bytes.size() > kBlockSize) return write_long(bytes);
        std::copy_n(bytes.data(), bytes.size(), room(bytes.size()));
        used_ += bytes.size();
    }
    /// Deflates the rest and ends the stream. Throws FileError when the bytes could not be written.
    void finish();

    std::uint64_t size() const { return size_; }  ///< deflated
    std::uint64_t raw_size() const { return raw_size_; }
    std::uint32_t crc() const { return crc_; }
    /// Copies the deflated bytes to `out`.
    void copy_to(OutputFile& out) const;

  private:
    friend class DeflateThread;
    struct Block {
        std::unique_ptr<char[]> bytes;
        std::size_t used = 0;
        bool last = false;
    };
    static constexpr std::uint64_t kBlocks = 4;  // one being filled, the others waiting or deflated

    void hand_on(bool last);
    void write_long(std::string_view bytes);
    /// On the deflate thread: deflates the next block into the file.
    void deflate_next();

    DeflateThread& thread_;
    std::string name_;
    int fd_ = -1;
    std::unique_ptr<OutputFile> out_;
    std::unique_ptr<isal_zstream> stream_;
    std::unique_ptr<std::uint8_t[]> level_buffer_;
    Block blocks_[kBlocks];
    char* block_ = nullptr;  // the one being filled
    std::size_t used_ = 0;
    // Blocks handed on and deflated; guarded by the thread's mutex, `deflated_` also read by it alone.
    std::uint64_t handed_ = 0, deflated_ = 0;
    std::exception_ptr failure_;  // guarded by the thread's mutex
    bool finished_ = false;
    std::uint64_t size_ = 0, raw_size_ = 0;
    std::uint32_t crc_ = 0;
};

/// A ZIP archive written front to back into `out`, with no going back: an entry's sizes are known before
/// it is written. Its 64-bit form is used only where needed (an entry or the archive past 4 GiB, more
/// than 65,535 entries), so that older readers open the others.
class ZipArchive {
  public:
    explicit ZipArchive(OutputFile& out);

    /// Adds an entry holding `bytes` as they are (small parts are not worth deflating).
    void add(std::string name, std::string_view bytes);
    /// Adds a finished DeflatedFile.
    void add(std::string name, const DeflatedFile& file);
    /// Writes the directory of the entries: the archive is complete.
    void finish();

  private:
    struct Entry {
        std::string name;
        std::uint16_t method = 0;  // 0 stored, 8 deflated
        std::uint32_t crc = 0;
        std::uint64_t size = 0, raw_size = 0, offset = 0;
    };
    void put_local_header(const Entry& entry);
    void put(std::string_view bytes);

    OutputFile& out_;
    std::vector<Entry> entries_;
    std::uint64_t offset_ = 0;
    std::uint16_t time_ = 0, date_ = 0;  // MS-DOS form, the same for every entry
};

}  // namespace qvr
