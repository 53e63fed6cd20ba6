#include "input/view_chars.h"

#include <gtest/gtest.h>

#include <set>

#include "common/char_map.h"

namespace qvr {
namespace {

TEST(ViewChars, ControlBytesShowAsVisibleStandIns) {
    struct Case {
        unsigned char byte;
        char16_t shown;
    };
    const Case cases[] = {
        {0x00, u'\u2591'}, {0x01, u'\u263A'}, {0x09, u'\u25CB'}, {0x0A, u'\u25D9'}, {0x0D, u'\u266A'},
        {0x1A, u'\u2192'}, {0x1F, u'\u25BC'}, {0x7F, u'\u2302'}, {0x81, u'\u2580'}, {0x9D, u'\u2588'},
        {' ', u' '},       {0x80, u'\u20AC'}, {0xE9, u'\u00E9'},
    };
    for (const Case& c : cases) EXPECT_EQ(c.shown, view_char(c.byte)) << int(c.byte);
}

TEST(ViewChars, EveryByteHasItsOwnCharacterAndComesBack) {
    std::set<char16_t> shown;
    int same_as_common_mapping = 0;
    for (int b = 0; b < 256; ++b) {
        const char16_t ch = view_char(static_cast<unsigned char>(b));
        shown.insert(ch);
        same_as_common_mapping += ch == byte_to_char(static_cast<unsigned char>(b));
    }
    EXPECT_EQ(256u, shown.size());
    EXPECT_EQ(256 - 32 - 1 - 5, same_as_common_mapping);
}

}  // namespace
}  // namespace qvr
