#pragma once

#include <string>

#include "batch/batch_request.h"

namespace qvr {

/// The request's settings with the input's encoding settled: the one asked for, else the proposed one.
/// Standard input cannot be read twice, so there "auto" reads Windows-1252 (ASCII gives the same bytes
/// either way); --encoding says otherwise.
JobSettings batch_job_settings(const BatchRequest& request);

}  // namespace qvr
