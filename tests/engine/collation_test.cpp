#include "engine/collation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "common/byte_order.h"
#include "engine/result_list.h"

namespace qvr {
namespace {

TEST(CollationLocale, FollowsThePosixPrecedence) {
    const std::tuple<const char*, const char*, const char*, std::string> cases[] = {
        {nullptr, nullptr, nullptr, ""},
        {"", "", "", ""},
        {"C", "fr_FR.UTF-8", "de_DE", ""},
        {"C.UTF-8", nullptr, nullptr, ""},
        {nullptr, "fr_FR.UTF-8", "de_DE", "fr_FR"},
        {"", "", "sv_SE.ISO-8859-1", "sv_SE"},
        {"de_DE@euro", "fr_FR", nullptr, "de_DE"},
        {nullptr, nullptr, "en_US", "en_US"}};
    for (const auto& [lc_all, lc_collate, lang, expected] : cases)
        EXPECT_EQ(expected, collation_locale(lc_all, lc_collate, lang)) << expected;
}

// The texts sorted by their keys, ties kept in input order.
std::vector<std::string> sorted_by_key(const std::string& locale, std::vector<std::string> texts,
                                       TextEncoding encoding = TextEncoding::cp1252) {
    Collation collation(locale, encoding);
    std::stable_sort(texts.begin(), texts.end(), [&](const std::string& a, const std::string& b) {
        std::string ka, kb;
        collation.append_key(a, ka);
        collation.append_key(b, kb);
        return compare_bytes(ka, kb) < 0;
    });
    return texts;
}

TEST(Collation, IgnoresCaseButNotAccentsAndFallsBackToRoot) {
    // 0xE9 is e acute, 0xC9 E acute, 0xE4 a diaeresis in the program's 8-bit characters.
    EXPECT_EQ((std::vector<std::string>{"a", "A", "b", "C"}), sorted_by_key("", {"b", "a", "C", "A"}));
    EXPECT_EQ((std::vector<std::string>{"e", "E", "\xe9", "\xc9", "f"}),
              sorted_by_key("", {"\xe9", "f", "e", "\xc9", "E"}));
    EXPECT_EQ((std::vector<std::string>{"a;2", "ab;1", "B;0"}), sorted_by_key("", {"B;0", "ab;1", "a;2"}));
    // Swedish puts a diaeresis after z; the root order puts it beside a.
    EXPECT_EQ((std::vector<std::string>{"a", "\xe4", "z"}), sorted_by_key("", {"z", "\xe4", "a"}));
    EXPECT_EQ((std::vector<std::string>{"a", "z", "\xe4"}), sorted_by_key("sv_SE", {"z", "\xe4", "a"}));
    EXPECT_EQ((std::vector<std::string>{"a", "B"}), sorted_by_key("xx_NOWHERE", {"B", "a"}));
    // In UTF-8 "é" sorts beside e and Omega after the Latin letters; a stray byte 0xE9 sorts as the
    // Windows-1252 e acute. In Windows-1252 the same two bytes are "Ã©", beside A.
    const auto utf8 = TextEncoding::utf8;
    EXPECT_EQ((std::vector<std::string>{"e", "\xc3\xa9", "\xe9", "f", "\xce\xa9"}),
              sorted_by_key("", {"\xce\xa9", "f", "\xc3\xa9", "e", "\xe9"}, utf8));
    EXPECT_EQ((std::vector<std::string>{"A", "\xc3\xa9"}), sorted_by_key("", {"\xc3\xa9", "A"}));
    // Keys longer than the first room for a key, in both orders (the first key made grows the room).
    const std::string x(100, 'x');
    for (const auto& texts : {std::vector<std::string>{x + "B", x + "a"}, {x + "a", x + "B"}})
        EXPECT_EQ((std::vector<std::string>{x + "a", x + "B"}), sorted_by_key("", texts));
}

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
