#include "batch/batch_command.h"

#include <algorithm>
#include <charconv>

#include "batch/batch_analyse.h"
#include "batch/batch_check.h"
#include "batch/batch_dbf.h"
#include "batch/batch_detect.h"
#include "batch/batch_extract.h"
#include "batch/batch_layout_command.h"
#include "common/regular_file.h"

namespace qvr {

const std::vector<const BatchCommandInfo*>& batch_commands() {
    static const std::vector<const BatchCommandInfo*> all = {&extract_command(), &dbf_command(),
                                                             &analyse_command(), &detect_command(),
                                                             &check_command(),   &layout_command()};
    return all;
}

const BatchCommandInfo* find_batch_command(BatchCommand command) {
    for (const BatchCommandInfo* c : batch_commands())
        if (c->command == command) return c;
    return nullptr;
}

void read_output(BatchRequest& r, const std::string& value) {
    r.settings.output_path = value;
    r.output_given = true;
}

const BatchOption kInputOption{
    .name = "--input",
    .value = "FILE|-",
    .help =
        "the fixed-column text file to read, - for standard input (a pipe or a redirected file: the "
        "fast extract and dbf stream it)",
    .read =
        [](BatchRequest& r, const std::string& v) {
            r.settings.input_path = v == "-" ? std::string(kStandardInputPath) : v;
        },
    .need = Need::required};

const BatchOption kLayoutOption{.name = "--layout",
                                .value = "FILE",
                                .help =
                                    "the fields, read from a field definition file (.tab), a COBOL "
                                    "copybook (.cpy .cob .cbl), a csvkit schema (.csv), a SAS (.sas), SPSS "
                                    "(.sps) or Stata (.dct) setup: the form from the extension, else from "
                                    "the text, else a field definition file",
                                .read = [](BatchRequest& r, const std::string& v) { r.layout_path = v; },
                                .need = Need::layout};

const BatchOption kFieldOption{
    .name = "--field",
    .value = "NAME:START:LENGTH",
    .help = "one field, split at the last two colons (NAME may be empty); repeat it",
    .read = [](BatchRequest& r, const std::string& v) { r.fields.push_back(parse_field(v)); },
    .need = Need::layout,
    .repeats = true};

const BatchOption kRecordOption{
    .name = "--record",
    .value = "NAME",
    .help = "the record whose fields are cut where the --layout copybook describes several (its 01 levels)",
    .read = [](BatchRequest& r, const std::string& v) { r.layout_record = v; }};

const BatchOption kEncodingOption{
    .name = "--encoding",
    .value = "cp1252|utf-8|auto",
    .help =
        "what a column is: a byte (Windows-1252) or a character (UTF-8); auto (the default) takes UTF-8 "
        "for a file that begins with a UTF-8 byte order mark, or whose first 64 MiB and last 64 KiB are "
        "UTF-8 beyond ASCII with at most 1 invalid byte per 1,000 characters; cp1252 for any other file. "
        "Standard input is settled so by its first 128 KiB; a later line holding a UTF-8 character then "
        "ends the run with status 1, naming the line, and a former result stays. In UTF-8 a byte order mark "
        "is skipped; a UTF-16 file is refused. A "
        "summary names the encoding used and counts the invalid bytes met; a proposed cp1252 run that "
        "meets UTF-8 characters beyond the sample says so and ends with status 1",
    .read = [](BatchRequest& r, const std::string& v) {
        if (v == "cp1252")
            r.encoding = TextEncoding::cp1252;
        else if (v == "utf-8")
            r.encoding = TextEncoding::utf8;
        else if (v != "auto")
            throw UsageError("--encoding '" + v + "' is not cp1252, utf-8 or auto", BatchCommand::none);
    }};

namespace {

// A count an option gives: digits only, within 64 bits.
std::uint64_t option_count(const char* option, const std::string& v) {
    std::uint64_t n = 0;
    const auto [end, error] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (v.empty() || error != std::errc() || end != v.data() + v.size())
        throw UsageError(std::string(option) + " '" + v + "' is not a whole number", BatchCommand::none);
    return n;
}

}  // namespace

const BatchOption kRecordEncodingOption{
    .name = "--encoding",
    .value = "cp1252|utf-8|auto|cp037|cp273|cp500|cp1140|cp437|cp850",
    .help =
        "as for the other commands; also the EBCDIC code pages cp037, cp273, cp500 and cp1140 and the "
        "DOS ones cp437 and cp850, where a column is a byte and text fields are decoded after cutting "
        "(trimmed and filtered as decoded text) and written in UTF-8 unless --output-encoding says "
        "otherwise",
    .read = [](BatchRequest& r, const std::string& v) {
        if (const std::optional<CodePage> page = parse_code_page(v)) {
            r.encoding = TextEncoding::cp1252;
            r.settings.code_page = page;
            return;
        }
        r.settings.code_page.reset();
        kEncodingOption.read(r, v);
    }};

const BatchOption kRecordLengthOption{
    .name = "--record-length",
    .value = "N",
    .help = "records of N bytes each with no line ends (RECFM=F); a short last record is an error",
    .read = [](BatchRequest& r, const std::string& v) {
        r.settings.framing.format = RecordFormat::fixed;
        r.settings.framing.record_length = static_cast<std::size_t>(
            std::min<std::uint64_t>(option_count("--record-length", v), kMostRecordLength + 1));
    }};

const BatchOption kRecordFormatOption{
    .name = "--record-format",
    .value = "lines|rdw",
    .help =
        "lines (the default), or rdw: variable records each behind a 4-byte record descriptor word, "
        "its big-endian length counting the word (RECFM=V); a record cut short is an error",
    .read = [](BatchRequest& r, const std::string& v) {
        if (v == "rdw")
            r.settings.framing.format = RecordFormat::rdw;
        else if (v != "lines")
            throw UsageError("--record-format '" + v + "' is not lines or rdw", BatchCommand::none);
    }};

const BatchOption kSkipLinesOption{.name = "--skip-lines",
                                   .value = "N",
                                   .help = "leave out the first N records (header lines)",
                                   .read = [](BatchRequest& r, const std::string& v) {
                                       r.settings.framing.skip_first = option_count("--skip-lines", v);
                                   }};

const BatchOption kSkipLastOption{
    .name = "--skip-last",
    .value = "N",
    .help = "leave out the last N records (trailer lines; at most 100000, held in memory)",
    .read = [](BatchRequest& r, const std::string& v) {
        r.settings.framing.skip_last = option_count("--skip-last", v);
    }};

void check_framing(const BatchRequest& r, const std::set<std::string>& given) {
    if (given.count("--record-length") && given.count("--record-format"))
        throw UsageError("--record-length cannot be used with --record-format", r.command);
    const RecordFraming& f = r.settings.framing;
    if (f.format == RecordFormat::fixed && (f.record_length == 0 || f.record_length > kMostRecordLength))
        throw UsageError("--record-length must be from 1 to " + std::to_string(kMostRecordLength), r.command);
    if (f.skip_last > kMostSkippedLast)
        throw UsageError("--skip-last can be at most " + std::to_string(kMostSkippedLast), r.command);
}

const BatchOption kTrimOption{.name = "--trim",
                              .help = "remove leading and trailing blanks of each field",
                              .read = [](BatchRequest& r, const std::string&) { r.settings.trim = true; }};

const BatchOption kStrictOption{
    .name = "--strict",
    .help =
        "fail, leaving a former result as it was, when a typed field holds a value its type cannot read "
        "(without it such a value is written empty and counted)",
    .read = [](BatchRequest& r, const std::string&) { r.settings.strict = true; }};

const BatchOption kLowerOption{
    .name = "--lower",
    .value = "TEXT",
    .help = "keep only lines not below TEXT (byte order, case-sensitive)",
    .read = [](BatchRequest& r, const std::string& v) { r.settings.lower_bound = v; }};

const BatchOption kUpperOption{
    .name = "--upper",
    .value = "TEXT",
    .help = "keep only lines not above TEXT (byte order, case-sensitive)",
    .read = [](BatchRequest& r, const std::string& v) { r.settings.upper_bound = v; }};

const BatchOption kContainsOption{
    .name = "--contains",
    .value = "TEXT",
    .help = "keep only lines that contain TEXT (case-sensitive)",
    .read = [](BatchRequest& r, const std::string& v) { r.settings.contains = v; }};

const BatchOption kOverwriteOption{.name = "--overwrite",
                                   .help = "replace the file written when it exists",
                                   .read = [](BatchRequest& r, const std::string&) { r.overwrite = true; }};

}  // namespace qvr
