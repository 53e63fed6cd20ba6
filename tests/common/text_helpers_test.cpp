#include <gtest/gtest.h>

#include "common/byte_order.h"
#include "common/char_map.h"
#include "common/file_error.h"
#include "common/file_names.h"
#include "common/whole_number.h"

namespace qvr {
namespace {

TEST(WholeNumber, ReadsSigned32BitDecimalsElseZero) {
    // Out of range, signs, blanks and a superscript two count as 0.
    const std::pair<std::string, std::int32_t> cases[] = {
        {"7", 7},
        {"007", 7},
        {"-12", -12},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"2147483648", 0},
        {"99999999999999999999", 0},
        {"", 0},
        {"+5", 0},
        {" 5", 0},
        {"1e3", 0},
        {"12a", 0},
        {"\xb2", 0},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(value, whole_number_or_zero(text)) << "'" << text << "'";
    for (const char* none : {"", "-"}) EXPECT_FALSE(read_whole_number(none).has_value()) << none;
    EXPECT_EQ(0, read_whole_number("0").value());
}

TEST(WholeNumber, DecimalTextHoldsSixtyFourBits) {
    EXPECT_EQ("-5", decimal_text(-5));
    EXPECT_EQ("4294967296", decimal_text(4294967296LL));
}

TEST(ByteOrder, UnsignedBytesShorterPrefixFirst) {
    EXPECT_LT(compare_bytes("", "a"), 0);
    EXPECT_LT(compare_bytes("C", "C;x"), 0);
    EXPECT_LT(compare_bytes("M", "m"), 0);
    EXPECT_LT(compare_bytes("z", "\xe9"), 0);
    EXPECT_GT(compare_bytes("b", "abc"), 0);
    EXPECT_LT(compare_bytes(std::string_view("a\0", 2), "a\x01"), 0);
}

TEST(CharMap, EveryByteRoundTripsAsOneCharacter) {
    for (int i = 0; i < 256; ++i) EXPECT_EQ(i, char_to_byte(byte_to_char(static_cast<unsigned char>(i))));
    EXPECT_EQ(u'\u20ac', byte_to_char(0x80));
    EXPECT_EQ(u'\u00e9', byte_to_char(0xe9));
    EXPECT_EQ(0x9f, char_to_byte(u'\u0178'));
    EXPECT_EQ(-1, char_to_byte(u'\u03a9'));
}

TEST(FileNames, NameAndExtension) {
    const std::tuple<std::string, std::string, std::string> cases[] = {
        // path, file name, with ".qvo.txt" for its extension
        {"/data/cust.txt", "cust.txt", "/data/cust.qvo.txt"},
        {"/arch.dat/cust.dat", "cust.dat", "/arch.dat/cust.qvo.txt"},
        {"/a.txt/b.txt", "b.txt", "/a.txt/b.qvo.txt"},
        {"/arch.dat/cust", "cust", "/arch.dat/cust.qvo.txt"},
        {"a.b.c", "a.b.c", "a.b.qvo.txt"},
        {"/data/", "", "/data/.qvo.txt"},
        {"C:\\data\\in.txt", "C:\\data\\in.txt", "C:\\data\\in.qvo.txt"},
    };
    for (const auto& [path, name, replaced] : cases) {
        EXPECT_EQ(name, file_name_of(path)) << path;
        EXPECT_EQ(replaced, with_replaced_extension(path, ".qvo.txt")) << path;
    }
    EXPECT_EQ("/data/", folder_of("/data/cust.txt"));
    EXPECT_EQ("", folder_of("cust.txt"));
}

TEST(FullStop, AddedOnlyAfterCharactersAboveTheDot) {
    const std::pair<std::string, std::string> cases[] = {
        {"Cannot create file /x/QVR32.LOG", "Cannot create file /x/QVR32.LOG."},
        {"Disk full.", "Disk full."},
        {"Really?", "Really?."},     // "?" comes after "." in character order
        {"(details)", "(details)"},  // ")" comes before "."
        {"caf\xe9", "caf\xe9."},
    };
    for (const auto& [message, shown] : cases) EXPECT_EQ(shown, with_full_stop(message)) << message;
}

}  // namespace
}  // namespace qvr
