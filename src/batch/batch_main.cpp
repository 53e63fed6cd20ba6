#include "batch/batch_main.h"

#include <cerrno>
#include <cstring>
#include <new>

#include "batch/batch_analyse.h"
#include "batch/batch_check.h"
#include "batch/batch_dbf.h"
#include "batch/batch_detect.h"
#include "batch/batch_extract.h"
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

// The exit status of a request that ran to its end: only the check tells a finding by it.
int run_request(const BatchRequest& request, const Console& console) {
    switch (request.command) {
        case BatchCommand::help:
            write_out(console, help_text());
            break;
        case BatchCommand::version:
            write_out(console, version_text());
            break;
        case BatchCommand::extract:
            run_batch_extract(request, console);
            break;
        case BatchCommand::dbf:
            run_batch_dbf(request, console);
            break;
        case BatchCommand::analyse:
            run_batch_analyse(request, console);
            break;
        case BatchCommand::detect:
            run_batch_detect(request, console);
            break;
        case BatchCommand::check:
            return run_batch_check(request, console) ? kFailed : kDone;
        case BatchCommand::none:
            break;
    }
    return kDone;
}

}  // namespace

int run_batch(const std::vector<std::string>& args, const Console& console) {
    try {
        const BatchRequest request = parse_batch_request(args);
        // Refused before any file is opened: there is nothing to read, and an empty stream would pass
        // for an empty input.
        if (console.input_closed && request.settings.input_path == kStandardInputPath)
            throw BatchRefusal("Cannot read the input: standard input is closed.");
        return run_request(request, console);
    } catch (const UsageError& e) {
        tell(console, std::string("quarvel-batch: ") + e.what());
        console.err << usage_text(e.command()) << "Try 'quarvel-batch --help' for more.\n" << std::flush;
        return kUsage;
    } catch (const BatchRefusal& e) {
        if (e.own_lines())
            tell_own_lines(console, e.what());
        else
            tell(console, e.what());
    } catch (const IncompleteResult& e) {
        tell(console, e.failure());
        tell(console, e.incomplete_text());
    } catch (const std::bad_alloc&) {
        tell(console, with_full_stop(std::strerror(ENOMEM)));
    } catch (const std::exception& e) {
        // Whatever the windows show in the general error box: a file's failure with the system's reason,
        // a number that is none.
        tell(console, with_full_stop(e.what()));
    }
    return kFailed;
}

}  // namespace qvr
