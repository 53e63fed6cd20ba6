#include "outputs/output_column.h"

#include <gtest/gtest.h>

namespace qvr {
namespace {

TEST(OutputColumn, SignificantDigitsOfNumberTexts) {
    const std::pair<std::string_view, int> cases[] = {
        {"0", 0},      {"-0", 0},  {"000123", 3}, {"-0012.340", 5}, {"0.05", 1},
        {"1000", 4},   {"", -1},   {"-", -1},     {".5", 1},        {"5.", -1},
        {"1.2.3", -1}, {"+1", -1}, {" 1", -1},    {"1e3", -1},      {"12345678901234567.89", 19},
    };
    for (const auto& [text, digits] : cases)
        EXPECT_EQ(digits, significant_digits(text)) << "'" << text << "'";
}

TEST(OutputColumn, ValuesBecomeUtf8AndBadBytesAreCounted) {
    const std::tuple<TextEncoding, std::string_view, std::string_view> cases[] = {
        {TextEncoding::cp1252, "plain", "plain"},
        {TextEncoding::cp1252, "Zo\xeb \x80\x81", "Zo\xc3\xab \xe2\x82\xac\xc2\x81"},
        {TextEncoding::utf8, "Zo\xc3\xab", "Zo\xc3\xab"},
        {TextEncoding::utf8,
         "a\xff"
         "b\xc3",
         "a\xef\xbf\xbd"
         "b\xef\xbf\xbd"},
        {TextEncoding::utf8, "\xed\xa0\x80", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},  // a surrogate
    };
    for (const auto& [encoding, value, utf8] : cases) {
        Utf8Values convert(encoding);
        EXPECT_EQ(utf8, convert(value)) << value;
    }
    Utf8Values convert(TextEncoding::utf8);
    convert(
        "a\xff"
        "b\xc3");
    convert("\xc3\xa9\x80");
    EXPECT_EQ(3u, convert.replaced());
}

}  // namespace
}  // namespace qvr
