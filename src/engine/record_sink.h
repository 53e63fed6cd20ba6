#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qvr {

struct ExtractJob;

/// One record that passed the filter, as a sink takes it.
struct PassedRecord {
    std::string_view cut_line;  ///< its fields joined as the filter tested them (what a text sink writes)
    std::int64_t number = 0;    ///< its place among the records written, from 1
    /// Its fields as cut, untrimmed, for a sink that writes them apart (takes_fields()); else null.
    const std::vector<std::string_view>* fields = nullptr;
};

/// Where the records of a job go: the one interface of every output (separated text, streamed text, a
/// dBase table, and whatever comes). The record pipeline (record_pipeline.h) reads, cuts, filters and
/// samples, and hands each passing record to put(); an output is a sink class and its line in the list
/// of outputs (output_formats.h). A sink replaces the former result only at commit(): a failure or a
/// stop before it abandons the result, and the former one stays.
class RecordSink {
  public:
    virtual ~RecordSink() = default;

    /// Whether the sink writes the fields apart (a table) rather than the cut line: the pipeline then cuts
    /// the cut line only for the filter, and hands the fields.
    virtual bool takes_fields() const { return false; }
    /// Room for a cut line of up to `bytes` bytes in the sink's own output, so a line it writes as it is
    /// is cut where it goes and costs no copy; null when the pipeline is to cut it in a room of its own.
    virtual char* cut_room(std::size_t /*bytes*/) { return nullptr; }
    /// Takes a record that passed.
    virtual void put(const PassedRecord& record) = 0;
    /// All records are in: writes out what the result holds, so that commit() after it hardly fails (the
    /// outputs of one run are all readied before any is committed). Throws FileError.
    virtual void ready() {}
    /// All records are in: the result replaces the former one. Throws FileError when it cannot.
    virtual void commit() = 0;
    /// Ends without a result (a failure, a stop): the former result stays as it was, and nothing of this
    /// one is left where it could pass for a result. An uncommitted sink's destructor does the same.
    virtual void abandon() noexcept = 0;
    /// A further table written into this sink's result (a database's next table), put in place with it:
    /// the result changes only once this sink and every such table have committed, and not at all when
    /// any abandons. `job` names the table and outlives the sink. Null when a result holds one table.
    virtual std::unique_ptr<RecordSink> next_table(const ExtractJob& /*job*/) { return nullptr; }
    /// Characters the output's encoding lacks, written as "?".
    virtual std::uint64_t replaced_chars() const { return 0; }
    /// What the user is to know of the result beyond the count of its records (a workbook's rows went on
    /// over several sheets); empty for most.
    virtual std::string closing_note() const { return {}; }
};

}  // namespace qvr
