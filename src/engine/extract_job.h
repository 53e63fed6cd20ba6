#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/available_memory.h"
#include "common/stop_request.h"
#include "common/text_convert.h"
#include "engine/job_settings.h"
#include "engine/line_cutter.h"
#include "engine/record_sink.h"
#include "fields/field_table.h"

namespace qvr {

struct ExtractJob;

/// An output other than the separated text (see outputs/output_formats.h): how its sink is made, and
/// whether it writes the fields apart (a table), so that a sorted run keeps them apart too.
struct OutputMaker {
    std::unique_ptr<RecordSink> (*make)(const ExtractJob& job) = nullptr;
    bool fields_apart = false;
};

/// Everything an extract run reads, taken from the job settings and the field table when it starts, so
/// the run itself never looks at a window.
struct ExtractJob {
    std::string input_path;
    std::string output_path;
    /// An open descriptor (standard output) that takes the result in place of a file at output_path,
    /// which then only names it in messages; -1 when the result is a file. It is never closed by the run.
    int output_fd = -1;
    std::vector<FieldSlice> slices;
    std::vector<std::string> names;  ///< for the header line and the bad values' report
    /// What each slice's text means (one per slice); empty: every field is text, cut as ever.
    std::vector<FieldType> types;
    std::string separator;
    bool trim = false;
    bool header = false;
    bool sorted = false;
    bool unique = false;
    bool numbers = false;
    std::int32_t sample_size = 0;  ///< 0 or less: no limit
    LineFilter filter;
    TextEncoding encoding = TextEncoding::cp1252;
    bool quote = false;             ///< fields holding the separator, a quote, CR or LF are quoted
    std::string line_end = "\r\n";  ///< ends every line written
    OutputEncoding output_encoding = OutputEncoding::same;  ///< what the result is written in
    bool encoding_from_first_block = false;                 ///< see JobSettings
    OutputMaker output;  ///< the standard extract's output; none: the separated text
    /// A value its type cannot read fails the run before the former result is replaced.
    bool strict = false;
    /// The table or sheet a typed output (a database, a workbook) writes; empty: the input's base name.
    std::string output_table;
    bool replace_table = false;           ///< a database's table of that name is replaced (only it)
    RecordFraming framing{};              ///< see JobSettings
    std::optional<CodePage> code_page{};  ///< see JobSettings

    /// Whether the input is read through JobRecords (framed, skipped or decoded) rather than as lines.
    bool reads_records() const {
        return framing.format != RecordFormat::lines || framing.skip_first > 0 || framing.skip_last > 0 ||
               code_page.has_value();
    }

    /// The cutter of this job's lines.
    LineCutter cutter() const { return LineCutter(slices, separator, trim, encoding, quote, types); }

    /// The job that `settings` and the field table's `slices`, `names` and `types` describe.
    static ExtractJob from(const JobSettings& settings, std::vector<FieldSlice> slices,
                           std::vector<std::string> names, std::vector<FieldType> types = {});
};

/// What a run leaves for the rest of the program. The run keeps it current while it works, so that it
/// holds the right values also when a failure ends the run halfway.
struct RunTally {
    std::int64_t generated_line_count = 0;  ///< lines that passed the filter, dropped duplicates included
    std::int64_t input_size = 0;            ///< bytes of the last input file measured
    std::int64_t input_line_count = 0;      ///< lines of it, exact or estimated; scales the fast gauge
    bool input_grew = false;  ///< the standard extract's input grew while read; only its former size was
    Utf8Tally input_text{};   ///< what the input read held as UTF-8 (encoding_line())
    std::uint64_t replaced_chars = 0;              ///< characters the output encoding lacks, written as "?"
    std::string output_note{};                     ///< the output's closing_note()
    TextEncoding encoding = TextEncoding::cp1252;  ///< what the last run cut in
    BadValueTally bad_values{};  ///< values of typed fields written empty, by the input's line numbers
};

/// A strict run met values that their types could not read: the former result was not replaced.
class BadValuesRefused : public UserError {
  public:
    using UserError::UserError;
};

/// Throws BadValuesRefused, naming each field's bad values, when a `strict` run counted any.
void refuse_bad_values(bool strict, const BadValueTally& bad, const std::vector<std::string>& names);

/// How a run reports to the window that started it, and the memory it may use.
struct ExtractHooks {
    ExtractHooks() : ExtractHooks(MemoryProbe::machine()) {}
    explicit ExtractHooks(const MemoryProbe& memory) : memory(memory) {}

    /// The gauge position, 0 to 100; called only when it changes, so it costs nothing per line.
    std::function<void(int)> gauge;
    /// A result line for the result view (the fast extract sends its first 100).
    std::function<void(std::string_view)> view_line;
    /// Bytes of memory the standard extract may use.
    const MemoryProbe& memory;
    /// The user's wish to end the run (may be null); the run then throws RunStopped.
    const StopRequest* stop = nullptr;
};

/// Sends gauge positions to a hook only when the position changes.
class GaugeSteps {
  public:
    explicit GaugeSteps(const std::function<void(int)>& hook) : hook_(hook) {}
    void set(int position) {
        if (position == last_) return;
        last_ = position;
        if (hook_) hook_(position);
    }

  private:
    const std::function<void(int)>& hook_;
    int last_ = -1;
};

/// The header line: the field names, each without leading and trailing blanks (and quoted as the fields
/// when `quote`), joined by `separator`, with "Nb" in front when the lines are numbered.
std::string header_line(const std::vector<std::string>& names, const std::string& separator, bool numbers,
                        bool quote = false);

}  // namespace qvr
