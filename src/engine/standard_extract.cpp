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
    result.reserve(text.size(), static_cast<std::size_t>(n));
    LineCutter cutter(job.slices, job.separator, job.trim);
    std::string cut_line;
    std::string_view line;
    tally.generated_line_count = 0;
    for (std::uint64_t i = 0; i < n && lines.next(line); ++i) {
        if (job.sample_size > 0 && tally.generated_line_count >= job.sample_size) break;
        cutter.cut(line, cut_line);
        bool passed = job.filter.passes(cut_line);
        gauge.set(15 + static_cast<int>(85 * i / n));
        if (passed) {
            result.add(cut_line);
            ++tally.generated_line_count;
        }
    }
}

void write_lines(const ExtractJob& job, const ResultList& result, OutputFile& out) {
    if (job.header) out.write_line(header_line(job.names, job.separator, job.numbers));
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
    if (job.output_fd >= 0) {
        std::unique_ptr<OutputFile> out = OutputFile::borrow(job.output_fd, job.output_path);
        write_lines(job, result, *out);
        out->close();
        return;
    }
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
