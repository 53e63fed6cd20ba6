#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/job_settings.h"

namespace qvr {

/// The date and time of a job as the user's regional settings write them; the window takes them from the
/// locale, so the core stays free of it.
struct JobClock {
    std::string date;
    std::string time;
};

/// The fourteen items of a job's summary line, in order: input, field definition and output file names,
/// separator, the four option words, the two bounds, date and time, the input encoding the run cut in,
/// and the values of typed fields written empty ("No bad values", "3 bad values"); each added item comes
/// last, so that the columns of former lines in a worksheet stay where they were. An item never holds a
/// tab or a line break (each becomes a space), so a line always has exactly fourteen items and stays one
/// line.
std::vector<std::string> job_log_items(const JobSettings& settings, const JobClock& clock,
                                       std::uint64_t bad_values = 0);

/// The summary line of a job: its fourteen items joined by single tabs, ready to paste into a worksheet.
std::string job_log_line(const JobSettings& settings, const JobClock& clock, std::uint64_t bad_values = 0);

/// A locale's long time format without its time zone ("HH:mm:ss t" gives "HH:mm:ss"): the log records
/// the time as the clock on the wall shows it. Quoted text is kept as it is.
std::string time_format_without_zone(std::string_view format);

}  // namespace qvr
