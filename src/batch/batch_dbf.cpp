#include "batch/batch_dbf.h"

#include <sys/stat.h>

#include "batch/batch_encoding.h"
#include "batch/batch_layout.h"
#include "batch/progress_bar.h"
#include "common/file_names.h"
#include "common/stop_request.h"
#include "dbase/dbf_job.h"

namespace qvr {

namespace {

// The window announces the count of the extract run before it; a process of its own has run none, and
// the table's count is set to the records written in any case.
constexpr std::int64_t kNoRunBefore = 0;

std::string table_name(const BatchRequest& request) {
    const std::string name =
        request.output_given ? request.settings.output_path : dbf_table_name(request.settings.input_path);
    // The window stops when the user clears the name; a name given empty is said to be missing.
    if (trim_blanks(name).empty()) throw BatchRefusal("No DBF file name: nothing written.");
    if (same_file(name, request.settings.input_path)) throw BatchRefusal(kDbfSameAsInputText);
    if (file_exists(name) && !request.overwrite)
        throw BatchRefusal("DBF file already exists: " + name + " (--overwrite replaces it).");
    return name;
}

// Lines expected, for the bar only: the fast extract's estimate from the size, as nothing has counted them.
std::uint64_t expected_lines(const std::string& input_path) {
    struct stat st {};
    if (::stat(input_path.c_str(), &st) != 0) return 0;
    return static_cast<std::uint64_t>(st.st_size) / 200;
}

}  // namespace

void run_batch_dbf(const BatchRequest& request, const Console& console) {
    const FieldTable table = batch_field_table(request, console.memory);
    const DbfLimits limits = check_dbf_table(kNoRunBefore, table);
    if (limits.refusal != DbfRefusal::none) throw BatchRefusal(dbf_refusal_text(limits));
    const std::string name = table_name(request);
    const std::uint64_t expected = expected_lines(request.settings.input_path);
    std::uint64_t replaced = 0;
    const JobSettings settings = batch_job_settings(request);
    Utf8Tally input_text;
    {
        ProgressBar bar(console);
        DbfExport dbf(dbf_export_job(table, settings, limits.lengths, kNoRunBefore, name));
        stop_on_interrupt();
        dbf.run([&bar, expected](std::uint64_t lines) {
            bar.show(dbf_gauge_position(lines, expected));
            check_stop(&interrupt_request());
        });
        replaced = dbf.replaced_chars();
        input_text = dbf.input_text();
    }
    tell(console, dbf_done_text(name, replaced));
    tell_encoding(request, settings.encoding, input_text, console);
}

}  // namespace qvr
