#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qvr {

class Collation;
class ResultList;
class StopRequest;

/// The sorted runs of a sort bigger than memory: each run is a finished ResultList written to a
/// temporary file beside the result, and merge() joins them into the order one list of all their lines
/// would have had. The files have no name where the system allows it, and are otherwise removed as soon
/// as they are open, so neither a failure nor an interruption (SIGKILL included) leaves one behind.
class SortedRuns {
  public:
    /// Runs are kept in `folder` ("" for the current one). `unique` as in ResultList. A merge reads its runs
    /// through blocks of `merge_memory` bytes in all (within bounds). Each run held takes a descriptor: no
    /// more are held at once than `descriptors` (by default what this process may still open, less a
    /// margin for the rest of the job).
    SortedRuns(std::string folder, bool unique, Collation& collation, const StopRequest* stop,
               std::size_t merge_memory = SIZE_MAX, std::size_t descriptors = descriptors_left());
    ~SortedRuns();
    SortedRuns(const SortedRuns&) = delete;
    SortedRuns& operator=(const SortedRuns&) = delete;

    /// Writes the finished `list` as the next run (runs come in pass order). Throws FileError.
    void add(const ResultList& list);
    std::size_t count() const { return runs_.size(); }

    /// Hands every line of the runs to `emit` in result order: by sort key; equal lines from later runs
    /// first, as equal lines of one list stand in reverse pass order; with unique, the line of the
    /// earliest run kept. `progress` (may be empty) learns the lines handed out of the total.
    void merge(const std::function<void(std::string_view)>& emit,
               const std::function<void(std::uint64_t done, std::uint64_t total)>& progress);

    /// Runs merged at once; more are merged in groups first.
    static constexpr std::size_t kMergeWidth = 64;
    /// Descriptors left to the rest of a job beside its runs (the input, the result and its temporary file).
    static constexpr std::size_t kDescriptorMargin = 16;

    /// Descriptors this process may still open (RLIMIT_NOFILE less those open), less kDescriptorMargin.
    static std::size_t descriptors_left();

  private:
    struct Run;
    std::unique_ptr<Run> open_run();
    /// Merges the runs from `from` on in groups of merge_width() neighbours, each group into one run.
    void merge_groups(std::size_t from);
    /// Before a run is added when the runs held take every descriptor allowed: the newest runs that were
    /// merged least are merged in groups, so each line is merged again only a few times however many runs
    /// come.
    void make_room();
    std::size_t merge_width() const { return std::min(kMergeWidth, max_runs_); }
    void merge_runs(std::vector<std::unique_ptr<Run>>& runs,
                    const std::function<void(std::string_view)>& emit,
                    const std::function<void(std::uint64_t, std::uint64_t)>& progress);

    std::string folder_;
    bool unique_;
    Collation& collation_;
    const StopRequest* stop_;
    std::size_t max_runs_;
    std::size_t read_block_;
    std::vector<std::unique_ptr<Run>> runs_;
};

}  // namespace qvr
