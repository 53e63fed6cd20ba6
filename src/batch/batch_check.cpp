#include "batch/batch_check.h"

#include "batch/batch_encoding.h"
#include "batch/batch_layout.h"
#include "batch/progress_bar.h"
#include "fields/layout_check.h"
#include "input/input_analysis.h"

namespace qvr {

const BatchCommandInfo& check_command() {
    static const BatchCommandInfo command{
        .word = "check",
        .command = BatchCommand::check,
        .summary = "reports how the layout fits the input; the exit status is 1 when it finds a problem",
        .options =
            {
                kInputOption,
                kLayoutOption,
                kFieldOption,
                kRecordOption,
                kEncodingOption,
            },
        .run = [](const BatchRequest& r, const Console& c) { return run_batch_check(r, c) ? 1 : 0; }};
    return command;
}

bool run_batch_check(const BatchRequest& request, const Console& console) {
    const FieldTable table = batch_field_table(request, console.memory);
    const std::string& input = request.settings.input_path;
    const std::int64_t size = input_file_size(input);
    LayoutCheck check;
    {
        ProgressBar bar(console);
        check = check_layout(input, batch_job_settings(request).encoding, table, [&](std::uint64_t bytes) {
            bar.show(size > 0 ? static_cast<int>(static_cast<double>(bytes) * 100 / static_cast<double>(size))
                              : 0);
        });
    }
    write_out(console, check.report);
    return check.problems;
}

}  // namespace qvr
