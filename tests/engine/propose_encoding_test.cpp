#include "engine/propose_encoding.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace qvr {
namespace {

TEST(ProposeEncoding, Utf8OnlyForWellFormedTextBeyondAscii) {
    const std::string big_ascii(200'000, 'a');  // past a block of the reading
    const std::pair<std::string, TextEncoding> cases[] = {
        {"", TextEncoding::cp1252},
        {"plain\r\n", TextEncoding::cp1252},
        {"caf\xc3\xa9\n", TextEncoding::utf8},
        {"caf\xe9\n", TextEncoding::cp1252},
        {"\xf0\x9f\x98\x80\xe2\x82\xac", TextEncoding::utf8},
        {"\xc3\xa9\xc3", TextEncoding::cp1252},  // cut short at the end
        {"\xed\xa0\x80", TextEncoding::cp1252},  // a surrogate
        {"\xc0\xaf", TextEncoding::cp1252},      // an overlong form
        {big_ascii.substr(0, 65535) + "\xe2\x82\xac" + big_ascii, TextEncoding::utf8},  // across blocks
        {big_ascii + "\xc3\xa9" + big_ascii + "\xe9", TextEncoding::cp1252},
    };
    test::TempDir dir;
    for (const auto& [bytes, encoding] : cases)
        EXPECT_EQ(encoding, propose_encoding(dir.write("in.txt", bytes))) << bytes.size();
    EXPECT_EQ(TextEncoding::cp1252, propose_encoding(dir.file("missing.txt")));
}

}  // namespace
}  // namespace qvr
