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
    std::uint64_t available = hooks.available_memory ? hooks.available_memory() : available_memory();
    return memory_needed(static_cast<std::uint64_t>(st.st_size)) <= available;
}

void cut_and_filter(const ExtractJob& job, std::string_view text, ResultList& result, GaugeSteps& gauge,
                    RunTally& tally) {
    WholeTextLines lines(text);
    const std::uint64_t n = lines.count();
    // Room for the cut lines and their line ends; more only when the fields outgrow the input.
    result.reserve(text.size() + 2 * static_cast<std::size_t>(n), static_cast<std::size_t>(n));
    LineCutter cutter(job.slices, job.separator, job.trim);
    const bool filtered = !job.filter.lets_all_pass();
    std::string_view line;
    std::uint64_t next_move = 0;  // the first line at which the gauge moves again
    tally.generated_line_count = 0;
    for (std::uint64_t i = 0; i < n && lines.next(line); ++i) {
        if (job.sample_size > 0 && tally.generated_line_count >= job.sample_size) break;
        // Cut in place at the end of the result; a line that fails the filter is not kept.
        char* at = result.line_room(cutter.max_cut_size(line.size()));
        const std::size_t size = static_cast<std::size_t>(cutter.cut_to(line, at) - at);
        bool passed = !filtered || job.filter.passes(std::string_view(at, size));
        if (i >= next_move) {
            const int position = 15 + static_cast<int>(85 * i / n);
            gauge.set(position);
            next_move = (static_cast<std::uint64_t>(position - 14) * n + 84) / 85;
        }
        if (passed) {
            result.keep_line(size);
            ++tally.generated_line_count;
        }
    }
}

void write_lines(const ExtractJob& job, const ResultList& result, OutputFile& out) {
    if (job.header) out.write_line(header_line(job.names, job.separator, job.numbers));
    if (result.in_pass_order() && !job.numbers) {
        // The list already holds the file's text.
        out.write(result.text_with_line_ends());
        return;
    }
    for (std::size_t i = 0; i < result.size(); ++i) {
        // Numbers follow the result order, so they count the lines of the file whatever the sorting.
        if (job.numbers) {
            out.write(decimal_text(static_cast<std::int64_t>(i) + 1));
            out.write(job.separator);
        }
        out.write_line(result.line(i));
    }
}

void write_result(const ExtractJob& job, const ResultList& result) {
    SafeFileWriter out(job.output_path);
    write_lines(job, result, out);
    out.commit();
}

ExtractOutcome run(const ExtractJob& job, const ExtractHooks& hooks, RunTally& tally) {
    if (!fits_in_memory(job, hooks)) return ExtractOutcome::out_of_memory;
    std::optional<std::string> input(load_whole_file(job.input_path));
    GaugeSteps gauge(hooks.gauge);
    gauge.set(15);
    std::unique_ptr<Collation> collation;
    if (job.sorted || job.unique) collation = std::make_unique<Collation>(user_collation_locale());
    ResultList result(job.sorted, job.unique, collation.get());
    cut_and_filter(job, *input, result, gauge, tally);
    input.reset();  // the input is no longer needed; sorting and writing get its memory
    result.finish();
    write_result(job, result);
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
