#include "engine/text_sink.h"

#include <cstring>

#include "common/file_error.h"
#include "common/whole_number.h"

namespace qvr {

namespace {

// The output writes the job's text in the encoding asked for.
void set_output_encoding(const ExtractJob& job, OutputFile& out) {
    if (converted_output(job.encoding, job.output_encoding)) out.convert_text_from(job.encoding);
}

}  // namespace

SeparatedTextSink::SeparatedTextSink(const ExtractJob& job) : job_(job) {
    if (job.output_fd >= 0)
        borrowed_ = OutputFile::borrow(job.output_fd, job.output_path);
    else
        safe_ = std::make_unique<SafeFileWriter>(job.output_path);
    set_output_encoding(job, out());
    if (job.header)
        out().write_line(header_line(job.names, job.separator, job.numbers, job.quote), job.line_end);
}

char* SeparatedTextSink::cut_room(std::size_t bytes) {
    if (job_.numbers) {
        numbered_.resize(bytes);
        return numbered_.data();
    }
    room_ = out().room(bytes + job_.line_end.size());
    return room_;
}

void SeparatedTextSink::put(const PassedRecord& record) {
    const std::size_t size = record.cut_line.size();
    if (job_.numbers) {
        out().write(decimal_text(record.number));
        out().write(job_.separator);
        out().write_line(record.cut_line, job_.line_end);
        return;
    }
    // A line cut where it goes needs only its line end; another (a sorted one) is copied there.
    char* at = record.cut_line.data() == room_ ? room_ : out().room(size + job_.line_end.size());
    if (at != record.cut_line.data()) std::memcpy(at, record.cut_line.data(), size);
    std::memcpy(at + size, job_.line_end.data(), job_.line_end.size());
    out().advance(size + job_.line_end.size());
    room_ = nullptr;
}

void SeparatedTextSink::commit() {
    if (borrowed_)
        borrowed_->close();
    else
        safe_->commit();
}

void SeparatedTextSink::abandon() noexcept {
    // The file beside the result goes with the writer; what went into a descriptor cannot be taken back.
    safe_.reset();
}

StreamingTextSink::StreamingTextSink(const ExtractJob& job) : job_(job) {
    if (job.output_fd >= 0) {
        out_ = OutputFile::borrow(job.output_fd, job.output_path);
    } else if (job.strict) {
        auto safe = std::make_unique<SafeFileWriter>(job.output_path);
        safe_ = safe.get();
        out_ = std::move(safe);
    } else {
        out_ = std::make_unique<OutputFile>(job.output_path);
    }
    set_output_encoding(job, *out_);
}

void StreamingTextSink::commit() {
    if (safe_)
        safe_->commit();
    else
        out_->close();
}

char* StreamingTextSink::cut_room(std::size_t bytes) {
    room_ = out_->room(bytes + job_.line_end.size());
    return room_;
}

void StreamingTextSink::put(const PassedRecord& record) {
    const std::size_t size = record.cut_line.size();
    char* at = record.cut_line.data() == room_ ? room_ : out_->room(size + job_.line_end.size());
    if (at != record.cut_line.data()) std::memcpy(at, record.cut_line.data(), size);
    std::memcpy(at + size, job_.line_end.data(), job_.line_end.size());
    out_->advance(size + job_.line_end.size());
    room_ = nullptr;
}

void StreamingTextSink::abandon() noexcept {
    // A strict job's file beside the result goes with its writer; the former result stays.
    if (safe_) {
        safe_ = nullptr;
        out_.reset();
        return;
    }
    // The lines written stay: the run tells the user the file is incomplete.
    try {
        out_->close();
    } catch (const FileError&) {
    }
}

}  // namespace qvr
