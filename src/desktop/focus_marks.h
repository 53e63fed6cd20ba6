#pragma once

namespace qvr {

/// Makes the program's style mark a focused tick box however it got the focus: by default the mark shows
/// only after the keyboard moved the focus, so a box clicked and then answered with the space bar showed
/// none. Safe to call more than once.
void install_focus_marks();

}  // namespace qvr
