#include "batch/batch_extract.h"

#include <new>

#include "batch/batch_layout.h"
#include "batch/progress_bar.h"
#include "engine/extract_messages.h"
#include "engine/fast_extract.h"
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
bool run(const JobSettings& settings, const ExtractJob& job, const Console& console, RunTally& tally) {
    ProgressBar bar(console);
    ExtractHooks hooks(console.memory);
    hooks.gauge = [&bar](int position) { bar.show(position); };
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
    const ExtractJob job = make_job(request.settings, table, console);
    RunTally tally;
    if (!run(request.settings, job, console, tally)) throw BatchRefusal(kOutOfMemoryText);
    tell(console, "Number of lines generated: " + std::to_string(tally.generated_line_count));
}

}  // namespace qvr
