#include "batch/batch_detect.h"

#include "batch/batch_encoding.h"
#include "batch/batch_layout.h"
#include "batch/progress_bar.h"
#include "common/file_names.h"
#include "fields/definition_file.h"
#include "fields/field_detection.h"
#include "input/input_analysis.h"

namespace qvr {

void run_batch_detect(const BatchRequest& request, const Console& console) {
    const std::string& input = request.settings.input_path;
    const std::string& output = request.settings.output_path;
    const bool to_standard_output = output == "-";
    if (!to_standard_output) {
        if (same_file(output, input))
            throw BatchRefusal("The field definition file cannot be the input file.");
        if (file_exists(output) && !request.overwrite)
            throw BatchRefusal("Field definition file already exists: " + output +
                               " (--overwrite replaces it).");
    }
    const std::int64_t size = input_file_size(input);
    FieldDetection found;
    {
        ProgressBar bar(console);
        found = detect_fields(
            input, batch_job_settings(request).encoding, request.max_lines, [&](std::uint64_t bytes) {
                bar.show(size > 0
                             ? static_cast<int>(static_cast<double>(bytes) * 100 / static_cast<double>(size))
                             : 0);
            });
    }
    if (found.binary) throw BatchRefusal("The file " + input + " holds binary data, not fixed-column text.");
    if (found.table.row_count() == 0)
        throw BatchRefusal("The file " + input + " holds no text to find fields in.");
    if (to_standard_output)
        write_out(console, definition_file_text(found.table));
    else
        write_definition_file(output, found.table);
    tell(console, "Fields found: " + std::to_string(found.table.row_count()) +
                      (found.heading ? " (named by the heading line)" : ""));
    if (found.wider) tell(console, wider_than_looked_at_text(found));
}

}  // namespace qvr
