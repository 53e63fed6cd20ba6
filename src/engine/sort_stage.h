#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/collation.h"
#include "engine/external_sort.h"
#include "engine/extract_job.h"
#include "engine/record_sink.h"
#include "engine/result_list.h"

namespace qvr {

/// The sort stage of a sorted or unique output: its records gather in a result list up to a memory
/// budget; beyond it each full list is sorted and written as a run on disk, merged at the end. A run
/// with several outputs (record types) has one stage each, sharing the memory.
class SortStage {
  public:
    /// `memory`: the bytes this stage's lines, keys and merge may take (sort_memory_budget()); `input_size`
    /// bounds the room taken at once.
    SortStage(const ExtractJob& job, std::uint64_t memory, std::uint64_t input_size, const StopRequest* stop);
    ~SortStage();
    SortStage(const SortStage&) = delete;
    SortStage& operator=(const SortStage&) = delete;

    /// Takes the records in pass order, in place of the output's sink.
    RecordSink& sink() { return *sink_; }
    /// Whether the lines may go beyond the memory, so that the pass takes less of the gauge.
    bool may_spill(std::uint64_t input_size) const { return input_size + input_size / 4 > lines_budget_; }

    /// All records are in: puts them in result order (`progress` 0 to 100 while ordering in memory).
    void finish(const ResultList::Progress& progress = {});
    /// Hands the records in result order to `output`, numbered from 1, their fields apart when the output
    /// takes them; `progress` learns the lines merged of the total when they come from disk.
    void write_to(RecordSink& output,
                  const std::function<void(std::uint64_t done, std::uint64_t total)>& progress = {});

  private:
    const ExtractJob& job_;
    std::uint64_t lines_budget_;
    std::size_t share_;
    Collation collation_;
    ResultList result_;
    std::optional<SortedRuns> runs_;
    std::function<SortedRuns&()> make_runs_;
    std::unique_ptr<RecordSink> sink_;
};

}  // namespace qvr
