#include "common/line_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/file_error.h"
#include "common/line_scan.h"
#include "common/regular_file.h"

namespace qvr {

LineReader::LineReader(const std::string& path, std::size_t block_size, StreamSplitter::Rule rule)
    : path_(path),
      block_size_(block_size),
      block_(std::make_unique_for_overwrite<char[]>(block_size)),
      splitter_(rule) {
    struct stat st {};
    fd_ = open_regular_file(path, st);
}

LineReader::~LineReader() {
    if (fd_ >= 0) ::close(fd_);
}

void LineReader::read_text_in(TextEncoding encoding) {
    text_encoding_ = encoding;
    set_prefix();
}

TextEncoding LineReader::settle_text_encoding() {
    // The first block as full as the stream gives it: a pipe hands out what its writer has written.
    end_ = 0;
    while (end_ < block_size_) {
        const ssize_t got = ::read(fd_, block_.get() + end_, block_size_ - end_);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw_file_error("Cannot read file", path_, errno);
        if (got == 0) {
            eof_ = true;
            break;
        }
        end_ += static_cast<std::size_t>(got);
    }
    begin_ = 0;
    const TextEncoding encoding = encoding_of_first_block(std::string_view(block_.get(), end_));
    read_text_in(encoding);
    tally_.feed_run(encoding, block_.get(), block_.get() + end_);
    if (eof_) tally_.finish();
    watch_utf8_ = encoding == TextEncoding::cp1252;
    return encoding;
}

void LineReader::set_prefix() {
    // A byte order mark the first line leaves out takes no room of its kept prefix.
    const std::size_t mark = text_encoding_ == TextEncoding::utf8 ? kUtf8ByteOrderMark.size() : 0;
    prefix_ = wanted_prefix_ > static_cast<std::size_t>(-1) - mark ? wanted_prefix_ : wanted_prefix_ + mark;
}

bool LineReader::fill() {
    if (eof_) return false;
    for (;;) {
        ssize_t got = ::read(fd_, block_.get(), block_size_);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw_file_error("Cannot read file", path_, errno);
        }
        begin_ = 0;
        end_ = static_cast<std::size_t>(got);
        if (text_encoding_) tally_.feed_run(*text_encoding_, block_.get(), block_.get() + end_);
        if (got == 0) {
            eof_ = true;
            tally_.finish();
        }
        return got > 0;
    }
}

bool LineReader::next(std::string_view& line) {
    if (!read_line(line)) return false;
    if (first_line_ && text_encoding_) {
        const std::size_t read = line.size();
        line = text_of_first_line(line, *text_encoding_, path_);
        line_size_ -= read - line.size();  // the byte order mark left out is no part of the line
    }
    first_line_ = false;
    ++lines_;
    if (watch_utf8_ && holds_utf8_character(line))
        throw_file_error("Cannot read file", path_, first_block_contradicted(lines_));
    return true;
}

void LineReader::measure(const char* p, std::size_t n, std::size_t kept) {
    line_size_ += n;
    if (watch_past_ && !text_past_)
        text_past_ = std::any_of(p + kept, p + n, [](char c) { return c != ' '; });
}

void LineReader::hold(const char* p, std::size_t n) {
    const std::size_t kept = std::min(n, prefix_ - std::min(prefix_, carry_.size()));
    measure(p, n, kept);
    if (kept > max_line_ - carry_.size()) throw_file_error("Cannot read file", path_, ENOMEM);
    carry_.append(p, kept);
}

void LineReader::hand_out(const char* p, std::size_t n, bool have_text, std::string_view& line) {
    if (have_text) {
        hold(p, n);
        line = carry_;
    } else {
        measure(p, n, std::min(n, prefix_));
        line = std::string_view(p, std::min(n, prefix_));
    }
}

bool LineReader::read_line(std::string_view& line) {
    carry_.clear();
    line_size_ = 0;
    text_past_ = false;
    bool have_text = false;
    for (;;) {
        if (begin_ == end_ && !fill()) {
            if (!have_text) return false;
            line = carry_;
            return true;
        }
        const char* const block = block_.get();
        const StreamSplitter::Piece piece = splitter_.next(block + begin_, block + end_);
        const auto len = static_cast<std::size_t>(piece.stop - piece.begin);
        consumed_ += static_cast<std::size_t>(
            (piece.why == StreamSplitter::Stop::file_end ? piece.stop : piece.next) - (block + begin_));
        begin_ = static_cast<std::size_t>(piece.next - block);
        switch (piece.why) {
            case StreamSplitter::Stop::file_end:
                eof_ = true;
                begin_ = end_ = 0;
                if (!have_text && len == 0) return false;
                hand_out(piece.begin, len, have_text, line);
                return true;
            case StreamSplitter::Stop::line_end:
                hand_out(piece.begin, len, have_text, line);
                return true;
            case StreamSplitter::Stop::none:
                // No line end in the rest of the block: keep it and read on.
                if (len == 0) break;
                hold(piece.begin, len);
                have_text = true;
                break;
        }
    }
}

}  // namespace qvr
