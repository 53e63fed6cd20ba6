#include "batch/batch_analyse.h"

#include "batch/batch_encoding.h"
#include "input/input_analysis.h"

namespace qvr {

void run_batch_analyse(const BatchRequest& request, const Console& console) {
    const std::string& path = request.settings.input_path;
    const std::int64_t size = input_file_size(path);
    const InputLines lines = measure_input_lines(path, 1 << 17, batch_job_settings(request).encoding);
    write_out(console, as_lines(analysis_message(size, lines.count, lines.lengths.text())));
}

}  // namespace qvr
