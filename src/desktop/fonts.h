#pragma once

namespace qvr {

/// Maps the font names the windows ask for ("MS Sans Serif", "Courier New", "Courier") to the installed
/// look-alikes, so layouts made for those fonts keep their proportions: the captions fit the widths they
/// were laid out for at their own sizes. Safe to call more than once.
void install_font_stand_ins();

}  // namespace qvr
