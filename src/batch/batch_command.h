#pragma once

#include <set>
#include <string>
#include <vector>

#include "batch/batch_request.h"
#include "batch/console.h"

namespace qvr {

/// Whether a command line must give an option.
enum class Need {
    optional,
    required,
    layout,  ///< one of the command's layout options (--layout or --field), never both
};

/// One option of one command, as it is read, shown by --help and written in the manual page.
struct BatchOption {
    const char* name;             ///< "--output"
    const char* value = nullptr;  ///< its value as help shows it ("FILE|-"); none for a switch
    const char* help = "";        ///< one sentence, lower case, no full stop
    /// Takes the value (empty for a switch) into the request; throws UsageError for a value that is none.
    void (*read)(BatchRequest&, const std::string&) = nullptr;
    Need need = Need::optional;
    bool repeats = false;  ///< may be given more than once (--field)
};

/// One command of the front end: its word, what it does, its options and how it runs. Each command declares
/// itself in its own file (extract_command() in batch_extract.cpp, ...); a new option of a command is one
/// entry in its list, and its usage line, help and manual page follow from it.
struct BatchCommandInfo {
    const char* word;
    BatchCommand command;
    const char* summary;  ///< one sentence for the help and the manual page
    std::vector<BatchOption> options;
    /// Rules between the options given, past the ones the options' needs say; throws UsageError.
    void (*check)(const BatchRequest&, const std::set<std::string>& given) = nullptr;
    /// Runs the request, returns the exit status; refusals and failures are thrown for run_batch to tell.
    int (*run)(const BatchRequest&, const Console&) = nullptr;
};

/// Every command, in the order help shows them.
const std::vector<const BatchCommandInfo*>& batch_commands();

/// The command for `command`; nullptr for none, help and version.
const BatchCommandInfo* find_batch_command(BatchCommand command);

// Options several commands read the same way; a command lists the ones it takes.
extern const BatchOption kInputOption;
extern const BatchOption kLayoutOption;
extern const BatchOption kFieldOption;
extern const BatchOption kRecordOption;
extern const BatchOption kEncodingOption;
extern const BatchOption kTrimOption;
extern const BatchOption kStrictOption;
extern const BatchOption kLowerOption;
extern const BatchOption kUpperOption;
extern const BatchOption kContainsOption;
extern const BatchOption kOverwriteOption;
// The framing of the input's records and its code page, for the commands that cut records.
extern const BatchOption kRecordEncodingOption;
extern const BatchOption kRecordLengthOption;
extern const BatchOption kRecordFormatOption;
extern const BatchOption kSkipLinesOption;
extern const BatchOption kSkipLastOption;

/// The rules between the framing options given; throws UsageError.
void check_framing(const BatchRequest& r, const std::set<std::string>& given);

/// --output's reading; each command names its value and says what it is.
void read_output(BatchRequest& request, const std::string& value);

}  // namespace qvr
