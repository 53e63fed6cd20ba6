#include "outputs/zip_archive.h"

#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "common/file_error.h"

namespace qvr {

// ---- The deflate thread

DeflateThread::DeflateThread() : thread_([this] { run(); }) {}

DeflateThread::~DeflateThread() {
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    work_.notify_one();
    thread_.join();
}

void DeflateThread::hand_on(DeflatedFile& file) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(&file);
        ++file.handed_;
    }
    work_.notify_one();
}

void DeflateThread::wait_for(DeflatedFile& file, std::uint64_t blocks) {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [&] { return file.deflated_ >= blocks; });
    if (file.failure_) std::rethrow_exception(file.failure_);
}

void DeflateThread::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        work_.wait(lock, [&] { return ending_ || !queue_.empty(); });
        if (queue_.empty()) return;
        DeflatedFile& file = *queue_.front();
        queue_.pop_front();
        const bool failed = file.failure_ != nullptr;
        lock.unlock();
        std::exception_ptr failure;
        try {
            if (!failed) file.deflate_next();
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        if (failure) file.failure_ = failure;
        ++file.deflated_;
        done_.notify_all();
    }
}

// ---- A deflated file

DeflatedFile::DeflatedFile(DeflateThread& thread, const std::string& folder, std::string name)
    : thread_(thread), name_(std::move(name)) {
    fd_ = open_nameless(folder, name_);
    out_ = OutputFile::borrow(fd_, name_);
    stream_ = std::make_unique<isal_zstream>();
    isal_deflate_init(stream_.get());
    level_buffer_ = std::make_unique_for_overwrite<std::uint8_t[]>(ISAL_DEF_LVL1_DEFAULT);
    stream_->level = 1;
    stream_->level_buf = level_buffer_.get();
    stream_->level_buf_size = ISAL_DEF_LVL1_DEFAULT;
    stream_->gzip_flag = IGZIP_DEFLATE;
    for (Block& block : blocks_) block.bytes = std::make_unique_for_overwrite<char[]>(kBlockSize);
    block_ = blocks_[0].bytes.get();
}

DeflatedFile::~DeflatedFile() {
    // The thread may still be at a block of this file.
    try {
        thread_.wait_for(*this, handed_);
    } catch (...) {
    }
    out_.reset();
    ::close(fd_);
}

void DeflatedFile::write_long(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t n = std::min(bytes.size(), kBlockSize);
        std::copy_n(bytes.data(), n, room(n));
        advance(n);
        bytes.remove_prefix(n);
    }
}

void DeflatedFile::hand_on(bool last) {
    Block& block = blocks_[handed_ % kBlocks];
    block.used = used_;
    block.last = last;
    thread_.hand_on(*this);
    used_ = 0;
    if (last) return;
    // The next block is free once the one handed on before it in the ring is deflated.
    if (handed_ >= kBlocks) thread_.wait_for(*this, handed_ - kBlocks + 1);
    block_ = blocks_[handed_ % kBlocks].bytes.get();
}

void DeflatedFile::finish() {
    if (finished_) return;
    finished_ = true;
    hand_on(true);
    thread_.wait_for(*this, handed_);
    // Only the bytes on disk are needed from here on: a workbook of many sheets keeps no buffers of each.
    for (Block& block : blocks_) block.bytes.reset();
    stream_.reset();
    level_buffer_.reset();
    out_.reset();
}

void DeflatedFile::deflate_next() {
    const Block& block = blocks_[deflated_ % kBlocks];
    auto* const in = reinterpret_cast<std::uint8_t*>(block.bytes.get());
    crc_ = crc32_gzip_refl(crc_, in, block.used);
    raw_size_ += block.used;
    isal_zstream& z = *stream_;
    z.next_in = in;
    z.avail_in = static_cast<std::uint32_t>(block.used);
    z.end_of_stream = block.last ? 1 : 0;
    constexpr std::uint32_t kOut = 1 << 16;
    do {
        z.next_out = reinterpret_cast<std::uint8_t*>(out_->room(kOut));
        z.avail_out = kOut;
        if (isal_deflate(&z) != COMP_OK)
            throw_file_error("Cannot write file", name_, "The compression failed");
        out_->advance(kOut - z.avail_out);
        size_ += kOut - z.avail_out;
    } while (z.avail_in > 0 || z.avail_out == 0 || (block.last && z.internal_state.state != ZSTATE_END));
    if (block.last) out_->close();
}

void DeflatedFile::copy_to(OutputFile& out) const {
    constexpr std::size_t kChunk = std::size_t{1} << 18;
    for (std::uint64_t at = 0; at < size_;) {
        const ssize_t n = ::pread(fd_, out.room(kChunk), kChunk, static_cast<off_t>(at));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw_file_error("Cannot read file", name_, n < 0 ? errno : EIO);
        out.advance(static_cast<std::size_t>(n));
        at += static_cast<std::uint64_t>(n);
    }
}

// ---- The archive

namespace {

constexpr std::uint32_t kMax32 = 0xFFFFFFFF;

/// Little-endian numbers, as the archive's headers have them.
class Header {
  public:
    Header& u16(std::uint64_t v) { return put(v, 2); }
    Header& u32(std::uint64_t v) { return put(v, 4); }
    Header& u64(std::uint64_t v) { return put(v, 8); }
    Header& bytes(std::string_view s) {
        text_ += s;
        return *this;
    }
    const std::string& text() const { return text_; }

  private:
    Header& put(std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i) text_ += static_cast<char>((v >> (8 * i)) & 0xFF);
        return *this;
    }
    std::string text_;
};

std::uint32_t at_most_32(std::uint64_t v) { return v >= kMax32 ? kMax32 : static_cast<std::uint32_t>(v); }

}  // namespace

ZipArchive::ZipArchive(OutputFile& out) : out_(out) {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    ::localtime_r(&now, &t);
    if (t.tm_year >= 80) {
        time_ = static_cast<std::uint16_t>((t.tm_hour << 11) | (t.tm_min << 5) | (t.tm_sec / 2));
        date_ = static_cast<std::uint16_t>(((t.tm_year - 80) << 9) | ((t.tm_mon + 1) << 5) | t.tm_mday);
    } else {
        date_ = (1 << 5) | 1;  // the earliest the form holds
    }
}

void ZipArchive::put(std::string_view bytes) {
    out_.write(bytes);
    offset_ += bytes.size();
}

void ZipArchive::put_local_header(const Entry& entry) {
    const bool wide = entry.size >= kMax32 || entry.raw_size >= kMax32;
    Header h;
    h.u32(0x04034b50).u16(wide ? 45 : 20).u16(0).u16(entry.method).u16(time_).u16(date_).u32(entry.crc);
    h.u32(wide ? kMax32 : entry.size).u32(wide ? kMax32 : entry.raw_size);
    h.u16(entry.name.size()).u16(wide ? 20 : 0).bytes(entry.name);
    if (wide) h.u16(1).u16(16).u64(entry.raw_size).u64(entry.size);
    put(h.text());
}

void ZipArchive::add(std::string name, std::string_view bytes) {
    Entry entry{std::move(name), 0, 0, bytes.size(), bytes.size(), offset_};
    entry.crc = crc32_gzip_refl(0, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    put_local_header(entry);
    put(bytes);
    entries_.push_back(std::move(entry));
}

void ZipArchive::add(std::string name, const DeflatedFile& file) {
    Entry entry{std::move(name), 8, file.crc(), file.size(), file.raw_size(), offset_};
    put_local_header(entry);
    file.copy_to(out_);
    offset_ += file.size();
    entries_.push_back(std::move(entry));
}

void ZipArchive::finish() {
    const std::uint64_t directory = offset_;
    for (const Entry& entry : entries_) {
        // The 64-bit extra field holds, in this order, those of the three that do not fit.
        Header extra;
        if (entry.raw_size >= kMax32) extra.u64(entry.raw_size);
        if (entry.size >= kMax32) extra.u64(entry.size);
        if (entry.offset >= kMax32) extra.u64(entry.offset);
        const bool wide = !extra.text().empty();
        Header h;
        h.u32(0x02014b50).u16(45).u16(wide ? 45 : 20).u16(0).u16(entry.method).u16(time_).u16(date_);
        h.u32(entry.crc).u32(at_most_32(entry.size)).u32(at_most_32(entry.raw_size));
        h.u16(entry.name.size()).u16(wide ? 4 + extra.text().size() : 0).u16(0).u16(0).u16(0).u32(0);
        h.u32(at_most_32(entry.offset)).bytes(entry.name);
        if (wide) h.u16(1).u16(extra.text().size()).bytes(extra.text());
        put(h.text());
    }
    const std::uint64_t directory_size = offset_ - directory;
    const std::uint64_t count = entries_.size();
    Header end;
    if (count >= 0xFFFF || directory_size >= kMax32 || directory >= kMax32) {
        const std::uint64_t at = offset_;
        end.u32(0x06064b50).u64(44).u16(45).u16(45).u32(0).u32(0).u64(count).u64(count);
        end.u64(directory_size).u64(directory);
        end.u32(0x07064b50).u32(0).u64(at).u32(1);
    }
    const std::uint64_t count16 = count >= 0xFFFF ? 0xFFFF : count;
    end.u32(0x06054b50).u16(0).u16(0).u16(count16).u16(count16);
    end.u32(at_most_32(directory_size)).u32(at_most_32(directory)).u16(0);
    put(end.text());
}

}  // namespace qvr
