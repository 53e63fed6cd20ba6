// General data's record boxes read into a framing, and the result names of a run per record type.

#include <gtest/gtest.h>

#include "engine/job_settings.h"
#include "engine/record_types.h"

namespace qvr {
namespace {

TEST(RecordFraming, BoxTextsAreReadStrictly) {
    struct Case {
        FramingTexts texts;
        std::string problem;  // empty: read as the last three
        std::size_t length;
        std::uint64_t first, last;
    };
    const std::string bad_length =
        "Fixed-length records: give the record length, a whole number from 1 to 16777216.";
    const std::string bad_first = "Skip first: give a whole number of lines, 0 or more.";
    const std::string bad_last =
        "Skip last: give a whole number of lines from 0 to 100000 (they are held in memory until the input "
        "ends).";
    const Case cases[] = {
        {{RecordFormat::lines, "", "", ""}, "", 0, 0, 0},
        {{RecordFormat::lines, "junk", "2", "3"}, "", 0, 2, 3},  // no length to read for lines
        {{RecordFormat::fixed, "94", "1", "100000"}, "", 94, 1, 100000},
        {{RecordFormat::rdw, "", "0", "0"}, "", 0, 0, 0},
        {{RecordFormat::fixed, "", "0", "0"}, bad_length, 0, 0, 0},
        {{RecordFormat::fixed, "0", "0", "0"}, bad_length, 0, 0, 0},
        {{RecordFormat::fixed, "16777217", "0", "0"}, bad_length, 0, 0, 0},
        {{RecordFormat::lines, "", "1a", "0"}, bad_first, 0, 0, 0},
        {{RecordFormat::lines, "", "-1", "0"}, bad_first, 0, 0, 0},
        {{RecordFormat::lines, "", "0", "100001"}, bad_last, 0, 0, 0},
    };
    for (const Case& c : cases) {
        RecordFraming framing;
        EXPECT_EQ(c.problem, read_framing(c.texts, framing)) << c.texts.length << "|" << c.texts.skip_first;
        if (!c.problem.empty()) continue;
        EXPECT_EQ(c.texts.format, framing.format);
        EXPECT_EQ(c.length, framing.record_length);
        EXPECT_EQ(c.first, framing.skip_first);
        EXPECT_EQ(c.last, framing.skip_last);
    }
}

TEST(RecordFraming, ResultNamesWithoutTypeGetItBeforeTheExtension) {
    const std::pair<std::string, std::string> cases[] = {
        {"out-{type}.csv", "out-{type}.csv"}, {"/d/out.csv", "/d/out-{type}.csv"},
        {"/d/out", "/d/out-{type}"},          {"/d.v/out", "/d.v/out-{type}"},
        {"/d/.hidden", "/d/.hidden-{type}"},  {"out.qvo.txt", "out.qvo-{type}.txt"},
    };
    for (const auto& [given, pattern] : cases) EXPECT_EQ(pattern, typed_output_pattern(given)) << given;
}

}  // namespace
}  // namespace qvr
