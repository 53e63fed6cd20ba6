#include "engine/result_list.h"

#include <gtest/gtest.h>

#include "engine/collation.h"

namespace qvr {
namespace {

std::vector<std::string> ordered(const std::vector<std::string>& passed, bool unique,
                                 std::size_t lines_per_worker) {
    Collation collation("en_US");
    ResultList list(true, unique, &collation, lines_per_worker);
    for (const std::string& line : passed) list.add(line);
    list.finish();
    std::vector<std::string> out;
    for (std::size_t i = 0; i < list.size(); ++i) out.emplace_back(list.line(i));
    return out;
}

// Sort keys are made on several cores when there are enough lines; a worker's share must not change the
// order, the ties or the duplicates kept, wherever the shares meet.
TEST(ResultList, SharingTheKeysAmongCoresKeepsTheOrder) {
    std::vector<std::string> passed;
    for (int i = 0; i < 40; ++i)
        for (const char* line : {"b", "A", "a", "C", "\xe9t\xe9", "ete", "ETE", "x;1"})
            passed.push_back(line + std::to_string(i % 7));
    for (bool unique : {false, true}) {
        const std::vector<std::string> alone = ordered(passed, unique, 1'000'000);
        for (std::size_t share : {1, 3, 7, 100, 319})
            EXPECT_EQ(alone, ordered(passed, unique, share)) << share;
        EXPECT_EQ(unique ? 6u * 7u : passed.size(), alone.size());  // a and A, ete and ETE are one
    }
    EXPECT_EQ((std::vector<std::string>{"a0", "A0", "b0", "C0"}),
              ordered({"b0", "A0", "a0", "C0"}, false, 1));
}

}  // namespace
}  // namespace qvr
