#include "shell/job_log_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace qvr {
namespace {

const JobClock kClock{"06/12/2026", "10:17:23"};

// The example job: an input and an output file, no definition file, ";" and field names ahead.
JobSettings example_job() {
    JobSettings s;
    s.input_path = "/data/in.txt";
    s.output_path = "/data/out.qvo";
    return s;
}

TEST(JobLogLine, ExampleJob) {
    EXPECT_EQ(
        "in.txt\t<none>\tout.qvo\t;\tHeader\tNot sorted\tNot U.\tNo nbr.\tNo lower\tNo upper\t06/12/2026\t"
        "10:17:23",
        job_log_line(example_job(), kClock));
}

TEST(JobLogLine, EachItemAndAlwaysTwelve) {
    const struct {
        const char* what;
        std::function<void(JobSettings&)> change;
        std::size_t item;  // 0-based
        std::string expected;
    } cases[] = {
        {"tab separator", [](JobSettings& s) { s.tab_separator = true; }, 3, "<Tab>"},
        {"empty separator", [](JobSettings& s) { s.separator_text = ""; }, 3, ""},
        {"lower bound A", [](JobSettings& s) { s.lower_bound = "A"; }, 8, "A"},
        {"upper bound", [](JobSettings& s) { s.upper_bound = "M z"; }, 9, "M z"},
        {"recalled definition file", [](JobSettings& s) { s.definition_file_name = "/defs/orders.tab"; }, 1,
         "orders.tab"},
        {"no header", [](JobSettings& s) { s.header = false; }, 4, "No header"},
        {"sorted", [](JobSettings& s) { s.sorted = true; }, 5, "Sorted"},
        {"unique", [](JobSettings& s) { s.unique = true; }, 6, "U."},
        {"numbers", [](JobSettings& s) { s.numbers = true; }, 7, "Numbers"},
        {"tab inside a bound", [](JobSettings& s) { s.lower_bound = "A\tB"; }, 8, "A B"},
        {"line break in a file name", [](JobSettings& s) { s.output_path = "/d/a\r\nb"; }, 2, "a  b"},
    };
    for (const auto& c : cases) {
        JobSettings s = example_job();
        c.change(s);
        const std::vector<std::string> items = job_log_items(s, kClock);
        ASSERT_EQ(12u, items.size()) << c.what;
        EXPECT_EQ(c.expected, items[c.item]) << c.what;
        const std::string line = job_log_line(s, kClock);
        EXPECT_EQ(11, std::count(line.begin(), line.end(), '\t')) << c.what;
        EXPECT_EQ(std::string::npos, line.find_first_of("\r\n")) << c.what;
    }
}

TEST(JobLogLine, TimeFormatLosesItsZone) {
    const std::pair<const char*, const char*> cases[] = {
        // clang-format off
        {"HH:mm:ss t", "HH:mm:ss"}, {"h:mm:ss AP t", "h:mm:ss AP"}, {"t HH:mm:ss", "HH:mm:ss"},
        {"H:mm:ss (t)", "H:mm:ss"}, {"HH:mm:ss tttt", "HH:mm:ss"}, {"HH:mm:ss", "HH:mm:ss"},
        {"HH 'at' mm:ss t", "HH 'at' mm:ss"}, {"h:mm t AP", "h:mm AP"}};  // clang-format on
    for (const auto& [format, expected] : cases)
        EXPECT_EQ(expected, time_format_without_zone(format)) << format;
}

}  // namespace
}  // namespace qvr
