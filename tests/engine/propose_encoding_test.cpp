#include "engine/propose_encoding.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace qvr {
namespace {

// Cut short at the end, a surrogate, a character across two blocks of the reading, a late stray byte.
TEST(ProposeEncoding, Utf8OnlyForWellFormedTextBeyondAscii) {
    const std::string a(70'000, 'a');
    const std::pair<std::string, bool> cases[] = {
        {"plain\r\n", false},
        {"\xf0\x9f\x98\x80\xe2\x82\xac", true},
        {"\xc3\xa9\xc3", false},
        {"\xed\xa0\x80", false},
        {a.substr(0, 65535) + "\xe2\x82\xac" + a, true},
        {a + "\xc3\xa9" + a + "\xe9", false},
    };
    test::TempDir dir;
    for (const auto& [bytes, utf8] : cases)
        EXPECT_EQ(utf8, propose_encoding(dir.write("in.txt", bytes)) == TextEncoding::utf8) << bytes.size();
    EXPECT_EQ(TextEncoding::cp1252, propose_encoding(dir.file("missing.txt")));
}

}  // namespace
}  // namespace qvr
