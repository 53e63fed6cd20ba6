#include "engine/job_records.h"

#include <sys/stat.h>

namespace qvr {

JobRecords::JobRecords(const std::string& path, const RecordFraming& framing, TextEncoding encoding,
                       std::optional<CodePage> code_page)
    // A code page's bytes are framed as bytes; its records are cut in UTF-8 once decoded.
    : records_(open_records(path, framing, code_page ? TextEncoding::cp1252 : encoding)),
      page_(code_page ? &code_page_table(*code_page) : nullptr),
      encoding_(code_page ? TextEncoding::utf8 : encoding) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) size_ = static_cast<std::uint64_t>(st.st_size);
}

}  // namespace qvr
