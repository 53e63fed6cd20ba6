#include "batch/batch_detect.h"

#include <charconv>

#include "batch/batch_encoding.h"
#include "batch/batch_layout.h"
#include "batch/progress_bar.h"
#include "common/file_names.h"
#include "fields/definition_file.h"
#include "fields/field_detection.h"
#include "input/input_analysis.h"

namespace qvr {

namespace {

// Any count a file can hold: 64 bits.
void read_lines(BatchRequest& r, const std::string& v) {
    std::uint64_t n = 0;
    const auto [end, error] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (v.empty() || error != std::errc() || end != v.data() + v.size() || n == 0)
        throw UsageError("--lines needs a whole number from 1 to 18446744073709551615", BatchCommand::none);
    r.max_lines = n;
}

}  // namespace

const BatchCommandInfo& detect_command() {
    static const BatchCommandInfo command{
        .word = "detect",
        .command = BatchCommand::detect,
        .summary = "finds the fields of the input and writes them as a field definition file",
        .options =
            {
                kInputOption,
                {.name = "--output",
                 .value = "LAYOUT.tab|-",
                 .help = "the field definition file, - for standard output",
                 .read = read_output,
                 .need = Need::required},
                {.name = "--lines", .value = "N", .help = "read only the first N lines", .read = read_lines},
                kEncodingOption,
                kOverwriteOption,
            },
        .run = [](const BatchRequest& r, const Console& c) {
            run_batch_detect(r, c);
            return 0;
        }};
    return command;
}

void run_batch_detect(const BatchRequest& request, const Console& console) {
    const std::string& input = request.settings.input_path;
    const std::string& output = request.settings.output_path;
    const bool to_standard_output = output == "-";
    if (!to_standard_output) {
        if (same_file(output, input))
            throw BatchRefusal(output, "the field definition file cannot be written to the input file.");
        if (file_exists(output) && !request.overwrite)
            throw BatchRefusal(output, "the field definition file already exists (--overwrite replaces it).");
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
    if (found.binary)
        throw BatchRefusal(shown_name(input), "the file holds binary data, not fixed-column text.");
    if (found.table.row_count() == 0)
        throw BatchRefusal(shown_name(input), "the file holds no text to find fields in.");
    if (to_standard_output)
        write_out(console, definition_file_text(found.table));
    else
        write_definition_file(output, found.table);
    tell(console, "Fields found: " + std::to_string(found.table.row_count()) +
                      (found.heading ? " (named by the heading line)" : ""));
    if (found.wider) tell(console, wider_than_looked_at_text(found));
}

}  // namespace qvr
