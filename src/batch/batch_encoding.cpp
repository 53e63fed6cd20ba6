#include "batch/batch_encoding.h"

#include "common/regular_file.h"
#include "engine/propose_encoding.h"

namespace qvr {

JobSettings batch_job_settings(const BatchRequest& request) {
    JobSettings s = request.settings;
    if (request.encoding)
        s.encoding = *request.encoding;
    else
        s.encoding =
            s.input_path == kStandardInputPath ? TextEncoding::cp1252 : propose_encoding(s.input_path);
    return s;
}

}  // namespace qvr
