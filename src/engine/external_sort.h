#pragma once

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
    /// Runs are kept in `folder` ("" for the current one). `unique` as in ResultList.
    SortedRuns(std::string folder, bool unique, Collation& collation, const StopRequest* stop);
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

  private:
    struct Run;
    std::unique_ptr<Run> open_run();
    void merge_runs(std::vector<std::unique_ptr<Run>>& runs,
                    const std::function<void(std::string_view)>& emit,
                    const std::function<void(std::uint64_t, std::uint64_t)>& progress);

    std::string folder_;
    bool unique_;
    Collation& collation_;
    const StopRequest* stop_;
    std::vector<std::unique_ptr<Run>> runs_;
};

}  // namespace qvr
