#include "engine/extract_job.h"

namespace qvr {

ExtractJob ExtractJob::from(const JobSettings& settings, std::vector<FieldSlice> slices,
                            std::vector<std::string> names, std::vector<FieldType> types) {
    ExtractJob job;
    job.input_path = settings.input_path;
    job.output_path = settings.output_path;
    job.slices = std::move(slices);
    job.names = std::move(names);
    job.types = std::move(types);
    job.separator = settings.separator();
    job.trim = settings.trim;
    job.header = settings.header;
    job.sorted = settings.sorted;
    job.unique = settings.unique;
    job.numbers = settings.numbers;
    job.sample_size = settings.sample_size();
    job.filter = LineFilter{settings.contains, settings.lower_bound, settings.upper_bound};
    job.encoding = settings.encoding;
    job.quote = settings.quote_fields;
    job.line_end = settings.line_end;
    job.output_encoding = settings.output_encoding;
    job.encoding_from_first_block = settings.encoding_from_first_block;
    job.strict = settings.strict;
    job.output_table = settings.output_table;
    job.replace_table = settings.replace_table;
    job.framing = settings.framing;
    job.code_page = settings.code_page;
    return job;
}

void refuse_bad_values(bool strict, const BadValueTally& bad, const std::vector<std::string>& names) {
    if (!strict || bad.total() == 0) return;
    throw BadValuesRefused(bad.report(names) + "Nothing was written: the former result is left as it was.");
}

std::string header_line(const std::vector<std::string>& names, const std::string& separator, bool numbers,
                        bool quote) {
    std::string line;
    if (numbers) line = "Nb" + separator;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) line += separator;
        if (quote)
            line += quoted_field(trim_blanks(names[i]), separator);
        else
            line += trim_blanks(names[i]);
    }
    return line;
}

}  // namespace qvr
