#include "input/window_place.h"

#include <algorithm>
#include <iterator>

namespace qvr {

namespace {

int within(int v, int low, int high) { return std::max(low, std::min(v, high)); }

}  // namespace

ScreenRect place_beside(const ScreenRect& owner, int clear_above, ScreenRect wanted, ScreenRect least,
                        const ScreenRect& screen) {
    const int width = std::min(wanted.width, screen.width), height = std::min(wanted.height, screen.height);
    const int room_right = screen.right() - owner.right(), room_below = screen.bottom() - owner.bottom(),
              room_left = owner.x - screen.x;
    ScreenRect sides[3];
    if (room_right >= least.width) {
        const int w = std::min(width, room_right);
        sides[0] = {owner.right(), within(owner.y, screen.y, screen.bottom() - height), w, height};
    }
    if (room_below >= least.height) {
        const int h = std::min(height, room_below);
        sides[1] = {within(owner.x, screen.x, screen.right() - width), owner.bottom(), width, h};
    }
    if (room_left >= least.width) {
        const int w = std::min(width, room_left);
        sides[2] = {owner.x - w, within(owner.y, screen.y, screen.bottom() - height), w, height};
    }
    const ScreenRect* best = std::max_element(
        std::begin(sides), std::end(sides),
        [](const auto& a, const auto& b) { return a.width * a.height < b.width * b.height; });
    if (best->width > 0) return *best;
    const int top = std::max(clear_above, screen.y);
    const int h = std::max(std::min(height, screen.bottom() - top), std::min(least.height, height));
    return {within(owner.x, screen.x, screen.right() - width), std::max(top, screen.bottom() - h), width, h};
}

}  // namespace qvr
