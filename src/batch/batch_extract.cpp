#include "batch/batch_extract.h"

#include <new>

#include "batch/batch_encoding.h"
#include "batch/batch_layout.h"
#include "batch/progress_bar.h"
#include "engine/extract_messages.h"
#include "engine/fast_extract.h"
#include "engine/memory_check.h"
#include "engine/run_files.h"
#include "engine/standard_extract.h"

namespace qvr {

namespace {

bool to_standard_output(const JobSettings& settings) { return settings.output_path == "-"; }

// The window's checks of the input and output files; where it asks before replacing a result, the front
// end replaces one only when told to.
void check_files(const BatchRequest& request, const Console& console) {
    const JobSettings& s = request.settings;
    const RunFiles files = to_standard_output(s) ? check_run_files(s.input_path, console.out_fd)
                                                 : check_run_files(s.input_path, s.output_path);
    switch (files) {
        case RunFiles::input_missing:
            throw BatchRefusal(kInputMissingText);
        case RunFiles::same_file:
            throw BatchRefusal(kSameFilesText);
        case RunFiles::output_folder:
            throw BatchRefusal(kOutputFolderText);
        case RunFiles::output_exists:
            if (!request.overwrite)
                throw BatchRefusal("Result file already exists: " + s.output_path +
                                   " (--overwrite replaces it).");
            break;
        case RunFiles::ready:
            break;
    }
}

ExtractJob make_job(JobSettings settings, const FieldTable& table, const Console& console) {
    if (settings.sample_text.empty())
        settings.sample_text.push_back('0');  // not = "0": GCC 12 warns falsely at -O3
    ExtractJob job = ExtractJob::from(settings, table.slices(), table.names());
    if (to_standard_output(settings)) {
        job.output_fd = console.out_fd;
        job.output_path = kStandardOutputName;
    }
    return job;
}

// True when the run wrote its result, false when the input did not fit into memory.
bool run(const BatchRequest& request, const ExtractJob& job, const Console& console, RunTally& tally) {
    const JobSettings& settings = request.settings;
    ProgressBar bar(console);
    const CappedMemory memory(console.memory, request.memory_cap ? request.memory_cap : UINT64_MAX);
    ExtractHooks hooks(memory);
    hooks.gauge = [&bar](int position) { bar.show(position); };
    // Ctrl+C ends the run as a failure does: the former result stays, no temporary file is left.
    hooks.stop = &interrupt_request();
    stop_on_interrupt();
    try {
        if (settings.fast) {
            fast_extract(job, hooks, tally);
            return true;
        }
        return standard_extract(job, hooks, tally) == ExtractOutcome::generated;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace

void run_batch_extract(const BatchRequest& request, const Console& console) {
    const FieldTable table = batch_field_table(request, console.memory);
    check_files(request, console);
    if (table.first_unusable_row() != 0) throw BatchRefusal(kCheckDelimiterText);
    const JobSettings settings = batch_job_settings(request);
    const ExtractJob job = make_job(settings, table, console);
    RunTally tally;
    if (!run(request, job, console, tally)) throw BatchRefusal(kOutOfMemoryText, true);
    if (tally.input_grew) tell(console, input_grew_text(settings.input_path));
    tell(console, "Number of lines generated: " + std::to_string(tally.generated_line_count));
    tell_encoding(request, settings.encoding, tally.input_text, console);
}

}  // namespace qvr
