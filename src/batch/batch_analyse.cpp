#include "batch/batch_analyse.h"

#include "batch/batch_encoding.h"
#include "input/input_analysis.h"

namespace qvr {

const BatchCommandInfo& analyse_command() {
    static const BatchCommandInfo command{
        .word = "analyse",
        .command = BatchCommand::analyse,
        .summary = "prints the size, line count and line lengths of the input, as File > Analyse input does",
        .options =
            {
                kInputOption,
                kEncodingOption,
            },
        .run = [](const BatchRequest& r, const Console& c) {
            run_batch_analyse(r, c);
            return 0;
        }};
    return command;
}

void run_batch_analyse(const BatchRequest& request, const Console& console) {
    const InputLines lines =
        measure_input_lines(request.settings.input_path, 1 << 17, batch_job_settings(request).encoding);
    write_out(console, as_lines(analysis_message(lines.size, lines.count, lines.lengths.text())));
}

}  // namespace qvr
