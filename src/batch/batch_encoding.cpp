#include "batch/batch_encoding.h"

#include "batch/batch_layout.h"
#include "common/regular_file.h"
#include "engine/propose_encoding.h"

namespace qvr {

JobSettings batch_job_settings(const BatchRequest& request) {
    JobSettings s = request.settings;
    if (request.encoding)
        s.encoding = *request.encoding;
    else if (s.input_path == kStandardInputPath)
        s.encoding_from_first_block = true;
    else
        s.encoding = propose_encoding(s.input_path);
    return s;
}

void tell_encoding(const BatchRequest& request, TextEncoding used, const Utf8Tally& met,
                   const Console& console) {
    if (request.settings.code_page) {
        tell(console, std::string("Encoding: ") + code_page_name(*request.settings.code_page) +
                          " (a byte a column, text decoded)");
        return;
    }
    if (!request.encoding && cut_characters_as_bytes(used, met))
        throw BatchRefusal(shown_name(request.settings.input_path),
                           encoding_line(used, met) + " (--encoding utf-8).");
    tell(console, encoding_line(used, met));
}

}  // namespace qvr
