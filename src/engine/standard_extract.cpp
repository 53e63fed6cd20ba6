#include "engine/standard_extract.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <type_traits>

#include "common/file_error.h"
#include "common/file_names.h"
#include "common/output_file.h"
#include "common/whole_number.h"
#include "common/whole_text.h"
#include "engine/collation.h"
#include "engine/external_sort.h"
#include "engine/field_line.h"
#include "engine/job_records.h"
#include "engine/memory_check.h"
#include "engine/record_pipeline.h"
#include "engine/result_list.h"
#include "engine/sort_stage.h"
#include "engine/text_sink.h"

namespace qvr {

namespace {

// Where a source is and how far it goes, for the gauge.
std::uint64_t position_of(const WholeTextReader& input) { return input.line_start(); }
std::uint64_t position_of(const JobRecords& input) { return input.bytes_read(); }

// The job's records from `input` to `sink`. The gauge runs from 15 to 15 + `span` by the bytes read (the
// input is read as it goes, so its line count is not known).
template <class Source>
void cut_and_filter(const ExtractJob& job, Source& input, const StopRequest* stop, int span,
                    GaugeSteps& gauge, RunTally& tally, RecordSink& sink) {
    const std::uint64_t n = input.size();
    const LineCutter cutter = job.cutter();
    std::uint64_t next_move = 0;  // the first byte at which the gauge moves again
    tally.generated_line_count = 0;
    tally.bad_values.clear();
    pass_records(
        input, RecordRule{cutter, job.filter, job.sample_size, job.encoding, &tally.bad_values}, sink,
        tally.generated_line_count, [stop] { check_stop(stop); },
        [&] {
            const std::uint64_t i = std::min(position_of(input), n);
            if (i >= next_move && n > 0) {
                __extension__ using Wide = unsigned __int128;
                const int position = 15 + static_cast<int>(static_cast<Wide>(span) * i / n);
                gauge.set(position);
                next_move =
                    static_cast<std::uint64_t>((static_cast<Wide>(position - 14) * n + span - 1) / span);
            }
        });
    if constexpr (std::is_same_v<Source, WholeTextReader>) {
        tally.input_grew = input.grew();
        tally.input_text = input.tally();
        // Lines lost at the end would make a result that looks whole: the run fails, and the former result
        // stays.
        if (input.shrank())
            throw_file_error("Cannot read file", job.input_path,
                             std::string_view("It became shorter while it was read"));
    }
}

/// The job's output: the separated text, or the one the job names.
std::unique_ptr<RecordSink> make_output(const ExtractJob& job) {
    if (job.output.make) return job.output.make(job);
    return std::make_unique<SeparatedTextSink>(job);
}

/// The result replaces the former one, unless a strict job met bad values. A failure before leaves the
/// former result: the sink's destructor abandons what it wrote.
void finish(const ExtractJob& job, RecordSink& sink, RunTally& tally) {
    refuse_bad_values(job.strict, tally.bad_values, job.names);
    sink.commit();
    tally.replaced_chars = sink.replaced_chars();
    tally.output_note = sink.closing_note();
}

template <class Source>
void sorted_run(const ExtractJob& job, const ExtractHooks& hooks, Source& input, GaugeSteps& gauge,
                RunTally& tally) {
    SortStage stage(job, sort_memory_budget(hooks.memory.available()), input.size(), hooks.stop);
    // The loop takes the gauge about half way; ordering in memory or merging the runs on disk the rest.
    const int span = stage.may_spill(input.size()) ? 42 : 40;
    cut_and_filter(job, input, hooks.stop, span, gauge, tally, stage.sink());
    stage.finish([&gauge, span](int percent) { gauge.set(15 + span + (95 - 15 - span) * percent / 100); });
    const std::unique_ptr<RecordSink> output = make_output(job);
    stage.write_to(*output, [&](std::uint64_t done, std::uint64_t total) {
        gauge.set(15 + span + static_cast<int>((99 - 15 - span) * done / std::max<std::uint64_t>(total, 1)));
    });
    finish(job, *output, tally);
}

template <class Source>
void input_order_run(const ExtractJob& job, const ExtractHooks& hooks, Source& input, GaugeSteps& gauge,
                     RunTally& tally) {
    const std::unique_ptr<RecordSink> output = make_output(job);
    cut_and_filter(job, input, hooks.stop, 85, gauge, tally, *output);
    finish(job, *output, tally);
}

template <class Source>
void run_from(const ExtractJob& job, const ExtractHooks& hooks, Source& input, RunTally& tally) {
    tally.encoding = job.encoding;
    GaugeSteps gauge(hooks.gauge);
    gauge.set(15);
    if (job.sorted || job.unique)
        sorted_run(job, hooks, input, gauge, tally);
    else
        input_order_run(job, hooks, input, gauge, tally);
}

ExtractOutcome run(const ExtractJob& asked, const ExtractHooks& hooks, RunTally& tally) {
    ExtractJob job = asked;
    if (job.reads_records()) {
        JobRecords input(job.input_path, job.framing, job.encoding, job.code_page);
        job.encoding = input.encoding();
        run_from(job, hooks, input, tally);
        return ExtractOutcome::generated;
    }
    WholeTextReader input(asked.input_path);
    if (job.encoding_from_first_block)
        job.encoding = input.settle_text_encoding();
    else
        input.read_text_in(job.encoding);
    run_from(job, hooks, input, tally);
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
