#include "shell/job_log_line.h"

#include "common/file_names.h"

namespace qvr {

namespace {

// Tabs split the items and line breaks split the jobs, so neither may come from a setting's text.
std::string one_item(std::string_view text) {
    std::string item(text);
    for (char& c : item)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return item;
}

std::string or_words(const std::string& text, const char* when_empty) {
    return text.empty() ? std::string(when_empty) : text;
}

}  // namespace

std::vector<std::string> job_log_items(const JobSettings& s, const JobClock& clock,
                                       std::uint64_t bad_values) {
    // "<none>" and "<No file recalled or saved>" hold no folder separator, so they stay whole.
    std::vector<std::string> items = {
        file_name_of(s.input_path),
        file_name_of(s.definition_file_name),
        file_name_of(s.output_path),
        s.tab_separator ? std::string("<Tab>") : s.separator_text,
        s.header ? "Header" : "No header",
        s.sorted ? "Sorted" : "Not sorted",
        s.unique ? "U." : "Not U.",
        s.numbers ? "Numbers" : "No nbr.",
        or_words(s.lower_bound, "No lower"),
        or_words(s.upper_bound, "No upper"),
        clock.date,
        clock.time,
        encoding_name(s.encoding),
        bad_values == 0 ? std::string("No bad values")
                        : std::to_string(bad_values) + (bad_values == 1 ? " bad value" : " bad values"),
    };
    for (std::string& item : items) item = one_item(item);
    return items;
}

std::string job_log_line(const JobSettings& settings, const JobClock& clock, std::uint64_t bad_values) {
    const std::vector<std::string> items = job_log_items(settings, clock, bad_values);
    std::string line = items.front();
    for (std::size_t i = 1; i < items.size(); ++i) {
        line += '\t';
        line += items[i];
    }
    return line;
}

std::string time_format_without_zone(std::string_view format) {
    std::string out;
    bool quoted = false;
    for (char c : format) {
        if (c == '\'') quoted = !quoted;
        if (quoted || c != 't') out += c;
    }
    // What stood around the zone goes with it: its brackets and the blanks that set it apart.
    for (std::size_t at; (at = out.find("()")) != std::string::npos;) out.erase(at, 2);
    for (std::size_t at; (at = out.find("  ")) != std::string::npos;) out.erase(at, 1);
    std::size_t first = out.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

}  // namespace qvr
