#include "engine/job_settings.h"

#include "common/whole_number.h"

namespace qvr {

std::int32_t JobSettings::sample_size() const { return whole_number_or_zero(sample_text); }

std::string read_framing(const FramingTexts& texts, RecordFraming& framing) {
    framing = RecordFraming{};
    framing.format = texts.format;
    const auto count = [](const std::string& text) -> std::optional<std::int32_t> {
        if (text.find_first_not_of(' ') == std::string::npos) return 0;
        return read_whole_number(text);
    };
    const std::optional<std::int32_t> first = count(texts.skip_first);
    if (!first || *first < 0) return "Skip first: give a whole number of lines, 0 or more.";
    const std::optional<std::int32_t> last = count(texts.skip_last);
    if (!last || *last < 0 || static_cast<std::uint64_t>(*last) > kMostSkippedLast)
        return "Skip last: give a whole number of lines from 0 to " + std::to_string(kMostSkippedLast) +
               " (they are held in memory until the input ends).";
    framing.skip_first = static_cast<std::uint64_t>(*first);
    framing.skip_last = static_cast<std::uint64_t>(*last);
    if (texts.format != RecordFormat::fixed) return {};
    const std::optional<std::int32_t> length = read_whole_number(texts.length);
    if (!length || *length < 1 || static_cast<std::size_t>(*length) > kMostRecordLength)
        return "Fixed-length records: give the record length, a whole number from 1 to " +
               std::to_string(kMostRecordLength) + ".";
    framing.record_length = static_cast<std::size_t>(*length);
    return {};
}

}  // namespace qvr
