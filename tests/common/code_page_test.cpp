#include "common/code_page.h"

#include <gtest/gtest.h>
#include <unicode/ucnv.h>

#include "common/record_reader.h"
#include "support/temp_dir.h"

namespace qvr {
namespace {

constexpr CodePage kAll[] = {CodePage::cp037,  CodePage::cp273, CodePage::cp500,
                             CodePage::cp1140, CodePage::cp437, CodePage::cp850};

// ICU's own conversion of each byte, straight to UTF-8, against the table built from it.
TEST(CodePageTable, MatchesIcuOnEveryByte) {
    for (const CodePage page : kAll) {
        const CodePageTable& table = code_page_table(page);
        std::string every_byte, one_by_one, decoded;
        for (unsigned b = 0; b < 256; ++b) {
            every_byte += static_cast<char>(b);
            one_by_one += table.utf8_of(static_cast<unsigned char>(b));
        }
        table.append_decoded(every_byte, decoded);
        EXPECT_EQ(decoded, one_by_one) << code_page_name(page);
        for (unsigned b = 0; b < 256; ++b) {
            char in = static_cast<char>(b);
            char out[8];
            UErrorCode status = U_ZERO_ERROR;
            const int32_t n =
                ucnv_convert("UTF-8", icu_converter_name(page), out, sizeof out, &in, 1, &status);
            ASSERT_TRUE(U_SUCCESS(status)) << code_page_name(page) << " byte " << b;
            EXPECT_EQ(table.utf8_of(static_cast<unsigned char>(b)),
                      std::string_view(out, static_cast<std::size_t>(n)))
                << code_page_name(page) << " byte " << b;
        }
    }
}

TEST(CodePageTable, DecodesKnownCharacters) {
    const std::tuple<CodePage, std::string, std::string> kCases[] = {
        {CodePage::cp037, "\xC8\x85\x93\x93\x96\x40\xF1\xF2", "Hello 12"},
        {CodePage::cp037, "\x4A\x5A", "¢!"},
        {CodePage::cp500, "\x4A\x5A", "[]"},
        {CodePage::cp273, "\x4A\xC0", "Ää"},
        {CodePage::cp1140, "\x9F", "€"},
        {CodePage::cp037, "\x9F", "¤"},
        {CodePage::cp437, "\x82\x9C\xE1", "é£ß"},
        {CodePage::cp850, "\x82\x9C\xD5", "é£ı"},
    };
    for (const auto& [page, bytes, text] : kCases) {
        std::string out = "x";
        code_page_table(page).append_decoded(bytes, out);
        EXPECT_EQ(out, "x" + text) << code_page_name(page);
    }
}

TEST(CodePage, ParsesItsNames) {
    for (const CodePage page : kAll) EXPECT_EQ(parse_code_page(code_page_name(page)), page);
    EXPECT_EQ(parse_code_page("CP1140"), CodePage::cp1140);
    for (const char* other : {"cp37", "cp1252", "utf-8", "ebcdic", "", "cp0370"})
        EXPECT_EQ(parse_code_page(other), std::nullopt) << other;
    EXPECT_TRUE(is_ebcdic(CodePage::cp273));
    EXPECT_FALSE(is_ebcdic(CodePage::cp850));
}

// The same records in Windows-1252 lines and in cp037 fixed records without line ends give the same text.
TEST(CodePage, Cp037FixedRecordsReadAsTheirWindows1252Lines) {
    const std::string lines[] = {"Dupont    Besan\xE7on  0001234", "M\xFCller    Z\xFCrich    0000005",
                                 "O'Brien   [Dublin]  0099999"};
    std::string ebcdic;
    for (const std::string& line : lines) {
        char out[64];
        UErrorCode status = U_ZERO_ERROR;
        const int32_t n = ucnv_convert(icu_converter_name(CodePage::cp037), "windows-1252", out, sizeof out,
                                       line.data(), static_cast<int32_t>(line.size()), &status);
        ASSERT_TRUE(U_SUCCESS(status));
        ebcdic.append(out, static_cast<std::size_t>(n));
    }
    test::TempDir dir;
    FixedRecords records(dir.write("f.ebc", ebcdic), lines[0].size(), 40);
    std::size_t i = 0;
    for (std::string_view record; records.next(record); ++i) {
        std::string text;
        code_page_table(CodePage::cp037).append_decoded(record.substr(10, 10), text);
        EXPECT_EQ(text, test::utf8_of_cp1252(lines[i].substr(10, 10)));
    }
    EXPECT_EQ(i, 3u);
}

}  // namespace
}  // namespace qvr
