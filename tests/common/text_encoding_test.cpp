#include "common/text_encoding.h"

#include <gtest/gtest.h>

namespace qvr {
namespace {

// Fed whole or in pieces of any size, a text gives the same counts: a character cut by a piece's end
// is judged with the next piece, and one cut by the text's end is invalid.
TEST(Utf8Tally, CountsCharactersAndInvalidBytesWhateverThePieces) {
    const std::tuple<std::string, std::uint64_t, std::uint64_t> cases[] = {
        {"plain ascii text", 0, 0},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", 3, 0},
        {"caf\xE9 na\xEFve", 0, 2},
        {"\xE2\x82", 0, 2},
        {"\xED\xA0\x80 \xC0\xAF \xF4\x90\x80\x80", 0, 9},
        {"\xE2\xE2\x82\xAC\xC3", 1, 2},
    };
    for (const auto& [text, characters, invalid] : cases)
        for (std::size_t piece = 1; piece <= 8; ++piece) {
            Utf8Tally tally;
            for (std::size_t at = 0; at < text.size(); at += piece)
                tally.feed(std::string_view(text).substr(at, piece));
            tally.finish();
            EXPECT_EQ(std::pair(characters, invalid), std::pair(tally.characters(), tally.invalid_bytes()))
                << text << " in pieces of " << piece;
        }
}

TEST(Utf8Tally, RunsNameTheirEncodingAndWhatTheyMet) {
    Utf8Tally clean, rare, cp1252_text;
    for (int i = 0; i < 2000; ++i) clean.feed("\xC3\xA9");
    rare = clean;
    rare.feed("\xFF\xFF");
    for (int i = 0; i < 2000; ++i) cp1252_text.feed("\xE9 ");
    const std::tuple<TextEncoding, Utf8Tally, std::string> cases[] = {
        {TextEncoding::utf8, clean, "Encoding: UTF-8"},
        {TextEncoding::utf8, rare, "Encoding: UTF-8 (2 invalid bytes kept as they are)"},
        {TextEncoding::cp1252, cp1252_text, "Encoding: Windows-1252"},
        {TextEncoding::cp1252, rare,
         "Encoding: Windows-1252, but the input holds 2000 UTF-8 characters beyond ASCII, each cut as 2 to 4 "
         "columns: in UTF-8 they are one each"},
    };
    for (const auto& [used, met, line] : cases) EXPECT_EQ(line, encoding_line(used, met));
}

}  // namespace
}  // namespace qvr
