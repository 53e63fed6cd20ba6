#pragma once

namespace qvr {

/// A rectangle on the screen, in pixels; for a window, its frame included.
struct ScreenRect {
    int x = 0, y = 0, width = 0, height = 0;
    int right() const { return x + width; }
    int bottom() const { return y + height; }
    bool operator==(const ScreenRect&) const = default;
};

/// Where a window that wants `wanted` (width and height) opens beside `owner` on `screen`: to the right of
/// it, below it or to its left, wherever more of it shows, made smaller to the room there but not below
/// `least`. Where no side has that room, it covers the owner's lower part, never above `clear_above` (the
/// lower edge of the owner's menu bar), so that the menus stay within reach.
ScreenRect place_beside(const ScreenRect& owner, int clear_above, ScreenRect wanted, ScreenRect least,
                        const ScreenRect& screen);

}  // namespace qvr
