#include "engine/sort_stage.h"

#include <cstdlib>

#include "common/file_names.h"
#include "engine/field_line.h"

namespace qvr {

namespace {

/// The lines gather in the result list; a full list is sorted and written as a run. The output's sink
/// takes them once they are in order.
class ListSink : public RecordSink {
  public:
    /// When the output writes the fields apart, the list holds each record's fields (join_fields())
    /// instead of its cut line.
    ListSink(ResultList& result, std::uint64_t budget, const std::function<SortedRuns&()>& runs,
             const ExtractJob& job)
        : result_(result), budget_(budget), runs_(runs), job_(job) {}
    bool takes_fields() const override { return job_.output.fields_apart; }
    char* cut_room(std::size_t bytes) override { return takes_fields() ? nullptr : result_.line_room(bytes); }
    void put(const PassedRecord& record) override {
        if (record.fields) {
            join_fields(*record.fields, job_.separator, joined_);
            result_.add(joined_);
        } else {
            result_.keep_line(record.cut_line.size());
        }
        if (result_.bytes_held() > budget_) {
            result_.finish();
            runs_().add(result_);
            result_.clear();
        }
    }
    void commit() override {}
    void abandon() noexcept override {}

  private:
    ResultList& result_;
    std::uint64_t budget_;
    const std::function<SortedRuns&()>& runs_;
    const ExtractJob& job_;
    std::string joined_;
};

/// The folder that takes the sorted runs: the result's, or the temporary folder for standard output.
std::string runs_folder(const ExtractJob& job) {
    if (job.output_fd < 0) return folder_of(job.output_path);
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/";
}

}  // namespace

// A quarter of the memory for the whole keys that order lines alike in their first key bytes, an eighth
// for the blocks of a merge of runs on disk (one may come while the lines are held), the rest for the
// lines themselves.
SortStage::SortStage(const ExtractJob& job, std::uint64_t memory, std::uint64_t input_size,
                     const StopRequest* stop)
    : job_(job),
      share_(static_cast<std::size_t>(std::min<std::uint64_t>(memory / 8, SIZE_MAX))),
      collation_(user_collation_locale(), job.encoding,
                 job.unique ? CollationTies::by_folded_text : CollationTies::equal),
      result_(job.sorted, job.unique, &collation_, ResultList::kLinesPerKeyWorker, stop) {
    lines_budget_ = memory - 3 * std::uint64_t{share_};
    result_.set_key_room(2 * share_);
    // Room for the cut lines, taken only as it is used.
    result_.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(input_size, lines_budget_)), 0);
    make_runs_ = [this, stop]() -> SortedRuns& {
        if (!runs_) runs_.emplace(runs_folder(job_), job_.unique, collation_, stop, share_);
        return *runs_;
    };
    sink_ = std::make_unique<ListSink>(result_, lines_budget_, make_runs_, job_);
}

SortStage::~SortStage() = default;

void SortStage::finish(const ResultList::Progress& progress) {
    if (!runs_) {
        result_.finish(progress);
        return;
    }
    result_.finish();
    if (result_.size() > 0) runs_->add(result_);
    result_.release();  // the merge reads the runs alone
}

void SortStage::write_to(RecordSink& output,
                         const std::function<void(std::uint64_t done, std::uint64_t total)>& progress) {
    std::int64_t written = 0;
    std::string room;
    std::vector<std::string_view> fields;
    const auto write = [&](std::string_view line) {
        if (!job_.output.fields_apart) return output.put({line, ++written});
        split_fields(line, job_.separator, job_.slices.size(), room, fields);
        output.put({line, ++written, &fields});
    };
    if (!runs_) {
        for (std::size_t i = 0; i < result_.size(); ++i) write(result_.line(i));
        return;
    }
    runs_->merge(
        write, progress ? progress : [](std::uint64_t, std::uint64_t) {});
}

}  // namespace qvr
