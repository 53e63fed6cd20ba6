#include "dbase/dbf_limits.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/whole_number.h"

namespace qvr {
namespace {

struct LimitCase {
    std::int64_t records;
    std::vector<std::string> lengths;
    DbfRefusal refusal;
    int row;
    std::vector<std::int32_t> checked;
};

TEST(DbfLimits, RecordCountLengthsAndTheirSum) {
    const LimitCase cases[] = {
        {16'700'000, {"10"}, DbfRefusal::none, 0, {10}},
        {16'700'001, {"10"}, DbfRefusal::too_many_records, 0, {}},
        {16'700'001, {"x"}, DbfRefusal::too_many_records, 0, {}},  // the count is checked first
        {0, {"200", "54"}, DbfRefusal::none, 0, {200, 54}},
        {0, {"200", "55"}, DbfRefusal::fields_too_long, 0, {}},
        {0, {"5", "0", "5"}, DbfRefusal::length_below_one, 2, {}},
        {0, {"300", "-100"}, DbfRefusal::length_below_one, 2, {}},  // a negative one cannot make room
        {0, {"-1", "x"}, DbfRefusal::length_below_one, 1, {}},
        {0, {"2147483647", "2147483647"}, DbfRefusal::fields_too_long, 0, {}},
    };
    for (const LimitCase& c : cases) {
        DbfLimits limits = check_dbf_limits(c.records, c.lengths);
        EXPECT_EQ(c.refusal, limits.refusal) << c.records << " " << c.lengths[0];
        EXPECT_EQ(c.row, limits.row) << c.records << " " << c.lengths[0];
        EXPECT_EQ(c.checked, limits.lengths) << c.records << " " << c.lengths[0];
    }
}

TEST(DbfLimits, LengthThatIsNoWholeNumberIsAnError) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"abc"}, "'abc' is not a valid integer value"},
        {{"5", " 5"}, "' 5' is not a valid integer value"},
        {{"+5"}, "'+5' is not a valid integer value"},
        {{"2147483648"}, "'2147483648' is not a valid integer value"},
    };
    for (const auto& [lengths, text] : cases)
        EXPECT_THAT([&] { check_dbf_limits(0, lengths); }, testing::ThrowsMessage<NotAWholeNumber>(text));
}

}  // namespace
}  // namespace qvr
