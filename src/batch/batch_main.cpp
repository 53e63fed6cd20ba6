#include "batch/batch_main.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "batch/batch_command.h"
#include "batch/batch_layout.h"
#include "batch/batch_request.h"
#include "batch/batch_usage.h"
#include "common/file_error.h"
#include "common/regular_file.h"
#include "engine/fast_extract.h"

namespace qvr {

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

constexpr const char* kPrefix = "quarvel-batch: ";

// The exit status of a request that ran to its end: only the check tells a finding by it.
int run_request(const BatchRequest& request, const Console& console) {
    if (request.command == BatchCommand::version) {
        write_out(console, version_text());
        return kDone;
    }
    const BatchCommandInfo* command = find_batch_command(request.command);
    if (!command || request.help) {
        write_out(console, command_help_text(request.command));
        return kDone;
    }
    return command->run(request, console);
}

}  // namespace

int run_batch(const std::vector<std::string>& args, const Console& console) {
    BatchRequest request;
    try {
        request = parse_batch_request(args);
        // Refused before any file is opened: there is nothing to read, and an empty stream would pass
        // for an empty input.
        if (console.input_closed && request.settings.input_path == kStandardInputPath && !request.help)
            throw BatchRefusal(shown_name(kStandardInputPath), "it is closed: there is nothing to read.");
        return run_request(request, console);
    } catch (const UsageError& e) {
        tell(console, kPrefix + std::string(e.what()));
        const BatchCommandInfo* command = find_batch_command(e.command());
        console.err << usage_text(e.command()) << "Try 'quarvel-batch "
                    << (command ? command->word + std::string(" ") : "") << "--help' for more.\n"
                    << std::flush;
        return kUsage;
    } catch (const BadValuesRefused& e) {
        // One line per field, each a sentence of its own.
        const std::string text = e.what();
        for (std::size_t at = 0, end; at < text.size(); at = end + 1) {
            end = std::min(text.find('\n', at), text.size());
            tell(console, kPrefix + text.substr(at, end - at));
        }
    } catch (const IncompleteResult& e) {
        tell(console, kPrefix + e.failure());
        tell(console, kPrefix + e.incomplete_text());
    } catch (const std::bad_alloc&) {
        const std::string& input = request.settings.input_path;
        tell(console, kPrefix + (input.empty() ? "" : shown_name(input) + ": ") +
                          with_full_stop(std::strerror(ENOMEM)));
    } catch (const std::exception& e) {
        // A refusal names its file; whatever the windows show in the general error box names its own: a
        // file's failure with the system's reason, a number that is none.
        tell(console, kPrefix + with_full_stop(e.what()));
    }
    return kFailed;
}

}  // namespace qvr
