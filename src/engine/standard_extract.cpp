#include "engine/standard_extract.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

#include "common/file_error.h"
#include "common/file_names.h"
#include "common/output_file.h"
#include "common/whole_number.h"
#include "common/whole_text.h"
#include "engine/collation.h"
#include "engine/external_sort.h"
#include "engine/memory_check.h"
#include "engine/result_list.h"

namespace qvr {

namespace {

// The line loop: cuts every line into the room `sink` gives (sink.room(bytes)) and hands the lines that
// pass to sink.keep(size), in pass order, until the sample is complete. The gauge runs from 15 to
// 15 + `span` by the bytes read (the input is read as it goes, so its line count is not known).
template <class Sink>
void cut_and_filter(const ExtractJob& job, WholeTextReader& input, const StopRequest* stop, int span,
                    GaugeSteps& gauge, RunTally& tally, Sink& sink) {
    const std::uint64_t n = input.size();
    const LineCutter cutter = job.cutter();
    const bool filtered = !job.filter.lets_all_pass();
    std::string_view line;
    std::uint64_t next_move = 0;  // the first byte at which the gauge moves again
    tally.generated_line_count = 0;
    while (input.next(line)) {
        check_stop(stop);
        if (job.sample_size > 0 && tally.generated_line_count >= job.sample_size) break;
        // Cut in place where the line goes; a line that fails the filter is not kept.
        char* at = sink.room(cutter.max_cut_size(line.size()));
        const std::size_t size = static_cast<std::size_t>(cutter.cut_to(line, at) - at);
        bool passed = !filtered || job.filter.passes(std::string_view(at, size));
        const std::uint64_t i = std::min(input.line_start(), n);
        if (i >= next_move && n > 0) {
            __extension__ using Wide = unsigned __int128;
            const int position = 15 + static_cast<int>(static_cast<Wide>(span) * i / n);
            gauge.set(position);
            next_move = static_cast<std::uint64_t>((static_cast<Wide>(position - 14) * n + span - 1) / span);
        }
        if (passed) {
            ++tally.generated_line_count;
            sink.keep(size, tally.generated_line_count);
        }
    }
    tally.input_grew = input.grew();
    tally.input_text = input.tally();
    // Lines lost at the end would make a result that looks whole: the run fails, and the former result stays.
    if (input.shrank())
        throw_file_error("Cannot read file", job.input_path,
                         std::string_view("It became shorter while it was read"));
}

/// Sorted or unique: the lines gather in the result list up to the memory budget; beyond it each full
/// list is sorted and written as a run, to be merged at the end.
class ListSink {
  public:
    ListSink(ResultList& result, std::uint64_t budget, const std::function<SortedRuns&()>& runs)
        : result_(result), budget_(budget), runs_(runs) {}
    char* room(std::size_t bytes) { return result_.line_room(bytes); }
    void keep(std::size_t size, std::int64_t) {
        result_.keep_line(size);
        if (result_.bytes_held() > budget_) {
            result_.finish();
            runs_().add(result_);
            result_.clear();
        }
    }

  private:
    ResultList& result_;
    std::uint64_t budget_;
    const std::function<SortedRuns&()>& runs_;
};

/// In input order the result is known line by line: each line goes straight to the result file being
/// written beside the old one, which it replaces only when complete. No result list is held, and the
/// lines are written while they are still in the processor's cache.
class FileSink {
  public:
    FileSink(const ExtractJob& job, OutputFile& out) : job_(job), out_(out) {}
    char* room(std::size_t bytes) {
        if (!job_.numbers) return out_.room(bytes + job_.line_end.size());
        cut_line_.resize(bytes);
        return cut_line_.data();
    }
    void keep(std::size_t size, std::int64_t number) {
        if (job_.numbers) {
            out_.write(decimal_text(number));
            out_.write(job_.separator);
            out_.write_line(std::string_view(cut_line_.data(), size), job_.line_end);
            return;
        }
        char* at = out_.room(size + job_.line_end.size());
        std::memcpy(at + size, job_.line_end.data(), job_.line_end.size());
        out_.advance(size + job_.line_end.size());
    }

  private:
    const ExtractJob& job_;
    OutputFile& out_;
    std::string cut_line_;  // numbered lines are cut here first, the number going in front
};

/// Writes result lines, numbered in result order when asked, so the numbers count the lines of the file
/// whatever the sorting.
class NumberedLines {
  public:
    NumberedLines(const ExtractJob& job, OutputFile& out) : job_(job), out_(out) {}
    void write(std::string_view line) {
        if (job_.numbers) {
            out_.write(decimal_text(++written_));
            out_.write(job_.separator);
        }
        out_.write_line(line, job_.line_end);
    }

  private:
    const ExtractJob& job_;
    OutputFile& out_;
    std::int64_t written_ = 0;
};

/// Where the result goes: a new file beside the result file that replaces it once complete, or an open
/// descriptor (standard output), written as the lines come.
class ResultFile {
  public:
    explicit ResultFile(const ExtractJob& job) {
        if (job.output_fd >= 0)
            borrowed_ = OutputFile::borrow(job.output_fd, job.output_path);
        else
            safe_.emplace(job.output_path);
    }
    OutputFile& out() { return borrowed_ ? *borrowed_ : *safe_; }
    void finish() {
        if (borrowed_)
            borrowed_->close();
        else
            safe_->commit();
    }

  private:
    std::unique_ptr<OutputFile> borrowed_;
    std::optional<SafeFileWriter> safe_;
};

/// The folder that takes the sorted runs: the result's, or the temporary folder for standard output.
std::string runs_folder(const ExtractJob& job) {
    if (job.output_fd < 0) return folder_of(job.output_path);
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/";
}

void sorted_run(const ExtractJob& job, const ExtractHooks& hooks, WholeTextReader& input, GaugeSteps& gauge,
                RunTally& tally) {
    // A quarter of the budget for the whole keys that order lines alike in their first key bytes, an eighth
    // for the blocks of a merge of runs on disk (one may come while the lines are held), the rest for the
    // lines themselves.
    const std::uint64_t budget = sort_memory_budget(hooks.memory.available());
    const auto share = static_cast<std::size_t>(std::min<std::uint64_t>(budget / 8, SIZE_MAX));
    const std::uint64_t lines_budget = budget - 3 * std::uint64_t{share};
    Collation collation(user_collation_locale(), job.encoding,
                        job.unique ? CollationTies::by_folded_text : CollationTies::equal);
    ResultList result(job.sorted, job.unique, &collation, ResultList::kLinesPerKeyWorker, hooks.stop);
    result.set_key_room(2 * share);
    // Room for the cut lines, taken only as it is used.
    result.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(input.size(), lines_budget)), 0);
    std::optional<SortedRuns> runs;
    const std::function<SortedRuns&()> make_runs = [&]() -> SortedRuns& {
        if (!runs) runs.emplace(runs_folder(job), job.unique, collation, hooks.stop, share);
        return *runs;
    };
    // The loop takes the gauge about half way; ordering in memory or merging the runs on disk the rest.
    const int span = input.size() + input.size() / 4 > lines_budget ? 42 : 40;
    ListSink sink(result, lines_budget, make_runs);
    cut_and_filter(job, input, hooks.stop, span, gauge, tally, sink);
    if (runs) {
        result.finish();
    } else {
        result.finish(
            [&gauge, span](int percent) { gauge.set(15 + span + (95 - 15 - span) * percent / 100); });
    }
    if (runs && result.size() > 0) runs->add(result);
    if (runs) result.release();  // the merge reads the runs alone
    ResultFile file(job);
    OutputFile& out = file.out();
    if (job.header)
        out.write_line(header_line(job.names, job.separator, job.numbers, job.quote), job.line_end);
    NumberedLines lines(job, out);
    if (!runs) {
        for (std::size_t i = 0; i < result.size(); ++i) lines.write(result.line(i));
    } else {
        runs->merge(
            [&](std::string_view line) { lines.write(line); },
            [&](std::uint64_t done, std::uint64_t total) {
                gauge.set(15 + span +
                          static_cast<int>((99 - 15 - span) * done / std::max<std::uint64_t>(total, 1)));
            });
    }
    file.finish();
}

void input_order_run(const ExtractJob& job, const ExtractHooks& hooks, WholeTextReader& input,
                     GaugeSteps& gauge, RunTally& tally) {
    ResultFile file(job);
    OutputFile& out = file.out();
    if (job.header)
        out.write_line(header_line(job.names, job.separator, job.numbers, job.quote), job.line_end);
    FileSink sink(job, out);
    cut_and_filter(job, input, hooks.stop, 85, gauge, tally, sink);
    file.finish();
}

ExtractOutcome run(const ExtractJob& job, const ExtractHooks& hooks, RunTally& tally) {
    WholeTextReader input(job.input_path);
    input.read_text_in(job.encoding);
    GaugeSteps gauge(hooks.gauge);
    gauge.set(15);
    if (job.sorted || job.unique)
        sorted_run(job, hooks, input, gauge, tally);
    else
        input_order_run(job, hooks, input, gauge, tally);
    return ExtractOutcome::generated;
}

}  // namespace

ExtractOutcome standard_extract(const ExtractJob& job, const ExtractHooks& hooks, RunTally& tally) {
    try {
        return run(job, hooks, tally);
    } catch (const std::bad_alloc&) {
        return ExtractOutcome::out_of_memory;
    }
}

}  // namespace qvr
