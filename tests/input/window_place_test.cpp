#include "input/window_place.h"

#include <gtest/gtest.h>

#include <tuple>

namespace qvr {
namespace {

// A 729 x 519 main window whose menu bar ends 50 pixels below its top, a window that wants 720 x 360 and
// can do with 320 x 160.
TEST(WindowPlace, BesideOrBelowTheOwnerElseClearOfItsMenuBar) {
    const ScreenRect wanted{0, 0, 720, 360}, least{0, 0, 320, 160};
    const std::tuple<ScreenRect, ScreenRect, ScreenRect> cases[] = {
        // screen, owner, place
        {{0, 0, 1920, 1080}, {595, 280, 729, 519}, {1324, 280, 596, 360}},  // right: more of it shows
        {{0, 0, 1280, 1024}, {275, 252, 729, 519}, {275, 771, 720, 253}},   // below: more of it shows
        {{0, 0, 1280, 1024}, {500, 0, 729, 519}, {500, 519, 720, 360}},     // below, the whole of it
        {{0, 0, 1280, 1024}, {900, 500, 380, 519}, {180, 500, 720, 360}},   // left
        {{0, 0, 800, 600}, {35, 40, 729, 519}, {35, 240, 720, 360}},        // over the lower part
        {{0, 0, 800, 400}, {35, 0, 729, 400}, {35, 50, 720, 350}},          // never above the menu bar
    };
    for (const auto& [screen, owner, place] : cases) {
        const ScreenRect got = place_beside(owner, owner.y + 50, wanted, least, screen);
        EXPECT_EQ(place, got) << got.x << "," << got.y << " " << got.width << "x" << got.height;
    }
}

}  // namespace
}  // namespace qvr
