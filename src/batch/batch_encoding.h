#pragma once

#include <string>

#include "batch/batch_request.h"
#include "batch/console.h"

namespace qvr {

/// The request's settings with the input's encoding settled: the one asked for, else the proposed one.
/// Standard input cannot be read twice, so there "auto" is settled by its first block, and a later line
/// that contradicts it ends the run (LineReader::settle_text_encoding()); --encoding says otherwise.
JobSettings batch_job_settings(const BatchRequest& request);

/// Ends a run's summary with the encoding it cut in (encoding_line()). When the proposal chose
/// Windows-1252 and the run met UTF-8 text beyond the sample, the result is not reported as done: the line
/// is a refusal (exit status 1), the result stays for the user to judge.
void tell_encoding(const BatchRequest& request, TextEncoding used, const Utf8Tally& met,
                   const Console& console);

}  // namespace qvr
