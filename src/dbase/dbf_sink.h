#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/output_file.h"
#include "common/text_encoding.h"
#include "dbase/dbf_layout.h"
#include "engine/record_sink.h"

namespace qvr {

/// A dBase III table as a sink: each record's fields padded with blanks into their widths, in
/// Windows-1252 (the characters of a UTF-8 input converted, those it lacks written as "?"). The table is
/// written beside its target and replaces it only at commit(), which first sets the header's record
/// count to the records written.
class DbfSink : public RecordSink {
  public:
    /// Starts the table beside `target` with a header announcing `record_count`; throws FileError when it
    /// cannot, and into a pipe when no count is announced (it could not be corrected at the end).
    DbfSink(const std::string& target, std::vector<DbfField> fields, std::uint32_t record_count,
            TextEncoding encoding);

    bool takes_fields() const override { return true; }
    void put(const PassedRecord& record) override;
    void commit() override;
    void abandon() noexcept override;

    /// Columns of other widths (the same count), before any record: the header is written again.
    void set_fields(std::vector<DbfField> fields);
    /// Whether set_fields() can still write the header again (not into a pipe).
    bool can_set_fields() const { return out_->can_seek(); }

    /// The input's encoding, when it is settled only once the table is started.
    void set_encoding(TextEncoding encoding) { utf8_ = encoding == TextEncoding::utf8; }

    std::uint64_t records() const { return records_; }
    std::uint64_t replaced_chars() const override { return replaced_; }

  private:
    std::unique_ptr<SafeFileWriter> out_;
    std::vector<DbfField> fields_;
    std::uint32_t announced_;
    bool utf8_;
    std::string blank_record_;  // the deletion flag and the padding
    std::uint64_t records_ = 0;
    std::uint64_t replaced_ = 0;
};

/// A job's fields as a dBase table: the output "dbf" of the list of outputs, and each type's table of a
/// typed run. Throws FileError when the table cannot be started.
std::unique_ptr<RecordSink> dbf_table_sink(const ExtractJob& job);

}  // namespace qvr
