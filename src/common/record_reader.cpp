#include "common/record_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/file_error.h"
#include "common/regular_file.h"

namespace qvr {

ByteWindow::ByteWindow(const std::string& path, std::size_t capacity)
    : path_(path), capacity_(capacity), buffer_(std::make_unique_for_overwrite<char[]>(capacity)) {
    struct stat st {};
    fd_ = open_regular_file(path, st);
}

ByteWindow::~ByteWindow() {
    if (fd_ >= 0) ::close(fd_);
}

std::size_t ByteWindow::want(std::size_t n) {
    n = std::min(n, capacity_);
    if (end_ - begin_ >= n || eof_) return end_ - begin_;
    // The few bytes of a record cut by the buffer's end move to its front; the rest is read behind them.
    std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
    while (end_ < n && !eof_) {
        const ssize_t got = ::read(fd_, buffer_.get() + end_, capacity_ - end_);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw_file_error("Cannot read file", path_, errno);
        }
        if (got == 0) eof_ = true;
        end_ += static_cast<std::size_t>(got);
    }
    return end_;
}

namespace {

std::string record_place(std::uint64_t number, std::uint64_t offset) {
    return "record " + std::to_string(number) + ", at byte " + std::to_string(offset);
}

}  // namespace

FixedRecords::FixedRecords(const std::string& path, std::size_t length, std::size_t buffer_size)
    : window_(path, std::max(buffer_size / std::max<std::size_t>(length, 1), std::size_t{1}) * length),
      length_(length) {}

bool FixedRecords::next(std::string_view& record) {
    const std::size_t have = window_.want(length_);
    if (have == 0) return false;
    ++number_;
    if (have < length_)
        throw_file_error("Cannot read file", window_.path(),
                         "Its last record (" + record_place(number_, window_.offset()) + ") has " +
                             std::to_string(have) + " bytes, fewer than the record length of " +
                             std::to_string(length_));
    record = std::string_view(window_.data(), length_);
    window_.consume(length_);
    return true;
}

RdwRecords::RdwRecords(const std::string& path, std::size_t buffer_size)
    : window_(path, std::max(buffer_size, kMostRecordSize)) {}

void RdwRecords::broken(std::string_view what) const {
    throw_file_error("Cannot read file", window_.path(),
                     std::string(what) + " (" + record_place(number_, window_.offset()) + ")");
}

bool RdwRecords::next(std::string_view& record) {
    std::size_t have = window_.want(4);
    if (have == 0) return false;
    ++number_;
    if (have < 4) broken("Its last record descriptor word is cut short");
    const auto* word = reinterpret_cast<const unsigned char*>(window_.data());
    const std::size_t size = static_cast<std::size_t>(word[0]) << 8 | word[1];
    if (size < 4 || word[2] != 0 || word[3] != 0)
        broken(
            "A record descriptor word is not one: its length is below 4 or its last two bytes are "
            "not zero");
    have = window_.want(size);
    if (have < size)
        broken("Its last record is cut short: " + std::to_string(have - 4) + " of its " +
               std::to_string(size - 4) + " bytes are there");
    record = std::string_view(window_.data() + 4, size - 4);
    window_.consume(size);
    return true;
}

SkippedRecords::SkippedRecords(std::unique_ptr<RecordReader> inner, std::uint64_t first, std::uint64_t last)
    : inner_(std::move(inner)), first_(first), ring_(last > 0 ? last + 1 : 0) {}

bool SkippedRecords::next(std::string_view& record) {
    for (; first_ > 0; --first_)
        if (!inner_->next(record)) return false;
    if (ring_.empty()) return inner_->next(record);
    // The ring keeps the records not yet known to be no trailer; the slot handed out last time is the one
    // refilled now, so a view stays valid until the next call.
    while (held_ < ring_.size()) {
        std::string_view got;
        if (!inner_->next(got)) return false;
        ring_[(oldest_ + held_) % ring_.size()].assign(got);
        ++held_;
    }
    record = ring_[oldest_];
    oldest_ = (oldest_ + 1) % ring_.size();
    --held_;
    return true;
}

std::unique_ptr<RecordReader> open_records(const std::string& path, const RecordFraming& framing,
                                           TextEncoding encoding) {
    if (framing.format == RecordFormat::fixed &&
        (framing.record_length == 0 || framing.record_length > kMostRecordLength))
        throw UserError("The record length must be from 1 to " + std::to_string(kMostRecordLength));
    if (framing.skip_last > kMostSkippedLast)
        throw UserError("At most " + std::to_string(kMostSkippedLast) +
                        " last records can be skipped: they are held in memory until the input ends");
    std::unique_ptr<RecordReader> records;
    switch (framing.format) {
        case RecordFormat::lines:
            records = std::make_unique<LineRecords>(path, encoding);
            break;
        case RecordFormat::fixed:
            records = std::make_unique<FixedRecords>(path, framing.record_length);
            break;
        case RecordFormat::rdw:
            records = std::make_unique<RdwRecords>(path);
            break;
    }
    if (framing.skip_first == 0 && framing.skip_last == 0) return records;
    return std::make_unique<SkippedRecords>(std::move(records), framing.skip_first, framing.skip_last);
}

}  // namespace qvr
