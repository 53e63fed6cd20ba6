#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/code_page.h"
#include "common/record_reader.h"
#include "common/text_encoding.h"

namespace qvr {

/// The records of an input framed and skipped as a job says (open_records()), each decoded to UTF-8 when
/// the input is in a code page. A byte of these pages decodes to one character, so a decoded record cut
/// by characters gives the fields its bytes hold, and trimming and the filter see the decoded text.
class JobRecords {
  public:
    /// Opens the input; throws FileError, or UserError for a framing that cannot be.
    JobRecords(const std::string& path, const RecordFraming& framing, TextEncoding encoding,
               std::optional<CodePage> code_page);

    /// The next record as the pipeline cuts it; false at the end. Throws FileError for a broken framing.
    bool next(std::string_view& record) {
        if (!records_->next(record)) return false;
        if (!page_) return true;
        raw_ = record;
        if (decoded_.size() < record.size() * CodePageTable::kMostBytesPerByte + 1)
            decoded_.resize(record.size() * CodePageTable::kMostBytesPerByte + 1);
        record = std::string_view(
            decoded_.data(),
            static_cast<std::size_t>(page_->decode_to(record, decoded_.data()) - decoded_.data()));
        return true;
    }
    /// The bytes of the record next() handed out last, as framed, when it was decoded (packed and binary
    /// fields are read from them); empty when the records are not decoded. Valid until next().
    std::string_view raw() const { return raw_; }
    std::uint64_t bytes_read() const { return records_->bytes_read(); }
    /// The input's size when opened; 0 when it tells none (standard input).
    std::uint64_t size() const { return size_; }
    /// What a column of the records next() hands out is: UTF-8 for a code page's.
    TextEncoding encoding() const { return encoding_; }

  private:
    std::unique_ptr<RecordReader> records_;
    const CodePageTable* page_ = nullptr;
    TextEncoding encoding_;
    std::uint64_t size_ = 0;
    std::string decoded_;
    std::string_view raw_;
};

}  // namespace qvr
