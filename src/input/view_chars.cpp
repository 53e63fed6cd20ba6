#include "input/view_chars.h"

#include <array>
#include <cstdint>

#include "common/char_map.h"

namespace qvr {

namespace {

// Stand-ins for bytes 0 to 31. Where the classic PC glyph of a byte is itself a Windows-1252 character
// (the bullet, the pilcrow, the section sign) or invisible (NUL), a shade takes its place, so no
// stand-in can be mistaken for a byte of the file.
constexpr char16_t kLowControls[32] = {
    0x2591, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2219, 0x25D8, 0x25CB, 0x25D9,
    0x2642, 0x2640, 0x266A, 0x266B, 0x263C, 0x25BA, 0x25C4, 0x2195, 0x203C, 0x2593, 0x2592,
    0x25AC, 0x21A8, 0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC,
};
constexpr char16_t kDelete = 0x2302;

struct HighControl {
    unsigned char byte;
    char16_t shown;
};
// The bytes Windows-1252 leaves undefined, which the common mapping keeps as C1 controls.
constexpr HighControl kHighControls[] = {
    {0x81, 0x2580}, {0x8D, 0x2584}, {0x8F, 0x258C}, {0x90, 0x2590}, {0x9D, 0x2588},
};

}  // namespace

char16_t view_char(unsigned char byte) {
    if (byte < 32) return kLowControls[byte];
    if (byte == 127) return kDelete;
    for (const HighControl& c : kHighControls)
        if (c.byte == byte) return c.shown;
    return byte_to_char(byte);
}

}  // namespace qvr
