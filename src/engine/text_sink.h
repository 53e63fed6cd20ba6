#pragma once

#include <memory>
#include <optional>
#include <string>

#include "common/output_file.h"
#include "engine/extract_job.h"
#include "engine/record_sink.h"

namespace qvr {

/// The separated text of the standard extract: the header line, then each record's cut line (numbered
/// when asked) and the line end. Into a file, it is written beside the result and replaces it only at
/// commit(); into an open descriptor (standard output) it goes as it comes. The text is converted on
/// its way when the job asks for another output encoding.
class SeparatedTextSink : public RecordSink {
  public:
    /// Creates the file beside the result and writes the header line; throws FileError.
    explicit SeparatedTextSink(const ExtractJob& job);

    char* cut_room(std::size_t bytes) override;
    void put(const PassedRecord& record) override;
    void ready() override {
        if (safe_) safe_->ready();
    }
    void commit() override;
    void abandon() noexcept override;

    /// Characters the conversion wrote as "?".
    std::uint64_t replaced_chars() const override { return out().replaced_chars(); }

  private:
    OutputFile& out() const { return borrowed_ ? *borrowed_ : *safe_; }

    const ExtractJob& job_;
    std::unique_ptr<OutputFile> borrowed_;
    std::unique_ptr<SafeFileWriter> safe_;
    char* room_ = nullptr;  // where the last line was cut in the output
    std::string numbered_;  // a numbered line is cut here first, the number going in front
};

/// The streamed text of the fast extract: the result file is created (or emptied) at once and every
/// record goes to it as it comes, so what was written before a failure stays in it. A strict job's
/// file is written beside the result and replaces it only at commit(), as a bad value may refuse it.
class StreamingTextSink : public RecordSink {
  public:
    /// Creates or empties the result file (or borrows the job's descriptor); throws FileError.
    explicit StreamingTextSink(const ExtractJob& job);

    /// The output the fast extract's own loop cuts its lines into.
    OutputFile& out() { return *out_; }

    char* cut_room(std::size_t bytes) override;
    void put(const PassedRecord& record) override;
    void commit() override;
    void abandon() noexcept override;

  private:
    const ExtractJob& job_;
    SafeFileWriter* safe_ = nullptr;  // out_, when the job is strict and writes a file
    std::unique_ptr<OutputFile> out_;
    char* room_ = nullptr;
};

}  // namespace qvr
