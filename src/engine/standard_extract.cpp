#include "engine/standard_extract.h"

#include <sys/stat.h>

#include <memory>
#include <new>
#include <optional>

#include "common/output_file.h"
#include "common/whole_number.h"
#include "common/whole_text.h"
#include "engine/collation.h"
#include "engine/memory_check.h"
#include "engine/result_list.h"

namespace qvr {

namespace {

bool fits_in_memory(const ExtractJob& job, const ExtractHooks& hooks) {
    struct stat st {};
    if (::stat(job.input_path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return true;  // loading will tell
    return memory_needed(static_cast<std::uint64_t>(st.st_size), job.sorted || job.unique) <=
           hooks.memory.available();
}

// The gauge: the line loop runs it from 15 to the end of its span, and a sorted run's ordering on to 95.
constexpr int kGaugeAtStart = 15;
constexpr int kGaugeAfterSortedLoop = 55;
constexpr int kGaugeAfterSort = 95;

// The line loop: cuts every line into the room `sink` gives (sink.room(bytes)) and hands the lines that
// pass to sink.keep(size), in pass order, until the sample is complete. The gauge goes up to `gauge_end`.
template <class Sink>
void cut_and_filter(const ExtractJob& job, std::string_view text, GaugeSteps& gauge, RunTally& tally,
                    Sink& sink, int gauge_end = 100) {
    const int span = gauge_end - kGaugeAtStart;
    WholeTextLines lines(text);
    const std::uint64_t n = lines.count();
    sink.expect(text.size(), n);
    LineCutter cutter(job.slices, job.separator, job.trim);
    const bool filtered = !job.filter.lets_all_pass();
    std::string_view line;
    std::uint64_t next_move = 0;  // the first line at which the gauge moves again
    tally.generated_line_count = 0;
    for (std::uint64_t i = 0; i < n && lines.next(line); ++i) {
        if (job.sample_size > 0 && tally.generated_line_count >= job.sample_size) break;
        // Cut in place where the line goes; a line that fails the filter is not kept.
        char* at = sink.room(cutter.max_cut_size(line.size()));
        const std::size_t size = static_cast<std::size_t>(cutter.cut_to(line, at) - at);
        bool passed = !filtered || job.filter.passes(std::string_view(at, size));
        if (i >= next_move) {
            const int position = kGaugeAtStart + static_cast<int>(static_cast<std::uint64_t>(span) * i / n);
            gauge.set(position);
            next_move = (static_cast<std::uint64_t>(position - kGaugeAtStart + 1) * n + span - 1) / span;
        }
        if (passed) {
            ++tally.generated_line_count;
            sink.keep(size, tally.generated_line_count);
        }
    }
}

/// Sorted or unique: the lines gather in the result list, to be ordered once all are in.
class ListSink {
  public:
    explicit ListSink(ResultList& result) : result_(result) {}
    void expect(std::size_t bytes, std::uint64_t lines) {
        // Room for the cut lines; more only when the fields outgrow the input.
        result_.reserve(bytes, static_cast<std::size_t>(lines));
    }
    char* room(std::size_t bytes) { return result_.line_room(bytes); }
    void keep(std::size_t size, std::int64_t) { result_.keep_line(size); }

  private:
    ResultList& result_;
};

/// In input order the result is known line by line: each line goes straight to the result file being
/// written beside the old one, which it replaces only when complete. No result list is held, and the
/// lines are written while they are still in the processor's cache.
class FileSink {
  public:
    FileSink(const ExtractJob& job, OutputFile& out) : job_(job), out_(out) {}
    void expect(std::size_t, std::uint64_t) {}
    char* room(std::size_t bytes) {
        if (!job_.numbers) return out_.room(bytes + 2);
        cut_line_.resize(bytes);
        return cut_line_.data();
    }
    void keep(std::size_t size, std::int64_t number) {
        if (job_.numbers) {
            out_.write(decimal_text(number));
            out_.write(job_.separator);
            out_.write_line(std::string_view(cut_line_.data(), size));
            return;
        }
        char* at = out_.room(size + 2);
        at[size] = '\r';
        at[size + 1] = '\n';
        out_.advance(size + 2);
    }

  private:
    const ExtractJob& job_;
    OutputFile& out_;
    std::string cut_line_;  // numbered lines are cut here first, the number going in front
};

void write_lines(const ExtractJob& job, const ResultList& result, OutputFile& out) {
    for (std::size_t i = 0; i < result.size(); ++i) {
        // Numbers follow the result order, so they count the lines of the file whatever the sorting.
        if (job.numbers) {
            out.write(decimal_text(static_cast<std::int64_t>(i) + 1));
            out.write(job.separator);
        }
        out.write_line(result.line(i));
    }
}

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

void sorted_run(const ExtractJob& job, std::optional<std::string>& input, GaugeSteps& gauge,
                RunTally& tally) {
    Collation collation(user_collation_locale());
    ResultList result(job.sorted, job.unique, &collation);
    ListSink sink(result);
    cut_and_filter(job, *input, gauge, tally, sink, kGaugeAfterSortedLoop);
    input.reset();  // the input is no longer needed; sorting and writing get its memory
    result.finish([&gauge](int percent) {
        gauge.set(kGaugeAfterSortedLoop + (kGaugeAfterSort - kGaugeAfterSortedLoop) * percent / 100);
    });
    ResultFile file(job);
    OutputFile& out = file.out();
    if (job.header) out.write_line(header_line(job.names, job.separator, job.numbers));
    write_lines(job, result, out);
    file.finish();
}

void input_order_run(const ExtractJob& job, std::optional<std::string>& input, GaugeSteps& gauge,
                     RunTally& tally) {
    ResultFile file(job);
    OutputFile& out = file.out();
    if (job.header) out.write_line(header_line(job.names, job.separator, job.numbers));
    FileSink sink(job, out);
    cut_and_filter(job, *input, gauge, tally, sink);
    input.reset();
    file.finish();
}

ExtractOutcome run(const ExtractJob& job, const ExtractHooks& hooks, RunTally& tally) {
    if (!fits_in_memory(job, hooks)) return ExtractOutcome::out_of_memory;
    std::optional<std::string> input(load_whole_file(job.input_path));
    GaugeSteps gauge(hooks.gauge);
    gauge.set(kGaugeAtStart);
    if (job.sorted || job.unique)
        sorted_run(job, input, gauge, tally);
    else
        input_order_run(job, input, gauge, tally);
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
