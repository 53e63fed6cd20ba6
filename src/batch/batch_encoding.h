#pragma once

#include <string>

#include "batch/batch_request.h"

namespace qvr {

/// The request's settings with the input's encoding settled: the one asked for, else the proposed one.
/// Standard input cannot be read twice, so there "auto" reads Windows-1252 (ASCII gives the same bytes
/// either way); --encoding says otherwise.
JobSettings batch_job_settings(const BatchRequest& request);

/// The window's proposal for a file, until the core offers it: UTF-8 when the file is valid UTF-8 and
/// holds a character beyond ASCII, Windows-1252 otherwise (an unreadable file too; the run will say why).
TextEncoding batch_proposed_encoding(const std::string& path);

}  // namespace qvr
