#include "engine/record_types.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/file_error.h"

namespace qvr {
namespace {

// Records typed by their first column; the batch number (columns 2-4) of type 5 is carried to the others.
TEST(RecordRouter, RoutesCarriesAndCountsUnknownTypes) {
    RecordRouter router({1, 1}, {"1", "5", "6", "*"}, {{"5", {2, 3}, "BatchNum"}});
    const std::pair<std::string, std::size_t> kRecords[] = {
        {"1HDR", 0}, {"6xxx", 2}, {"5001", 1}, {"6aaa", 2}, {"7add", 3}, {"5002", 1}, {"6bbb", 2}, {"", 3},
    };
    const std::string kCarried[] = {"", "", "001", "001", "001", "002", "002", "002"};
    for (std::size_t i = 0; i < std::size(kRecords); ++i) {
        EXPECT_EQ(router.route(kRecords[i].first), kRecords[i].second) << kRecords[i].first;
        EXPECT_EQ(router.carried_value(0), kCarried[i]) << kRecords[i].first;
    }
    EXPECT_THAT(router.carries_of(0), testing::ElementsAre(0));
    EXPECT_THAT(router.carries_of(1), testing::IsEmpty());  // the batch header carries nothing to itself
    EXPECT_THAT(router.carries_of(3), testing::ElementsAre(0));
    EXPECT_EQ(router.unknown_count(), 0u);  // the '*' table took them
}

TEST(RecordRouter, UnknownTypesAreCountedByValueWithTheirFirstRecord) {
    RecordRouter router({2, 2}, {"A", "BB"});
    for (const char* record : {"x A", "xBB", "xC", "x A ", "xZZ", "xC"}) router.route(record);
    EXPECT_EQ(router.route("xBB"), 1u);
    EXPECT_EQ(router.route("xQ"), RecordRouter::kNoTable);
    EXPECT_EQ(router.unknown_count(), 4u);
    EXPECT_EQ(router.unknown_types_text(),
              "2 records of type 'C' have no table (the first is record 3); 1 record of type 'Q' has no "
              "table (the first is record 8); 1 record of type 'ZZ' has no table (the first is record 5)");
}

TEST(RecordRouter, DecodesTypeColumnsOfACodePage) {
    RecordRouter router({1, 1}, {"1", "5"}, {}, TextEncoding::cp1252, &code_page_table(CodePage::cp037));
    EXPECT_EQ(router.route("\xF5"), 1u);
    EXPECT_EQ(router.route("5"), RecordRouter::kNoTable);
}

TEST(RecordRouter, RefusesTablesItCannotTellApart) {
    EXPECT_THROW(RecordRouter({1, 1}, {"1", " 1"}), UserError);
    EXPECT_THROW(RecordRouter({1, 1}, {"*", "*"}), UserError);
    EXPECT_THROW(RecordRouter({1, 1}, {"1", "*"}, {{"5", {2, 3}, "BatchNum"}}), UserError);
}

TEST(TypeFileName, EveryValueGetsASafeNameOfItsOwn) {
    const std::pair<std::string, std::string> kCases[] = {
        {"6", "out-6.csv"},       {"HDR-a", "out-HDR-a.csv"}, {"", "out-_.csv"},
        {"_", "out-%5F.csv"},     {"*", "out-%2A.csv"},       {"../x", "out-%2E%2E%2Fx.csv"},
        {"a b", "out-a%20b.csv"}, {"é", "out-%C3%A9.csv"},    {"%", "out-%25.csv"},
    };
    for (const auto& [value, name] : kCases)
        EXPECT_EQ(type_file_name("out-{type}.csv", value), name) << value;
    EXPECT_EQ(type_file_name("{type}/{type}", "7"), "7/7");
    EXPECT_EQ(type_file_name("plain.csv", "7"), "plain.csv");
}

}  // namespace
}  // namespace qvr
