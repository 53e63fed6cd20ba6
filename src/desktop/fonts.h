#pragma once

class QWidget;

namespace qvr {

/// Maps the font names the windows ask for ("MS Sans Serif", "Courier New", "Courier") to the installed
/// look-alikes, so layouts made for those fonts keep their proportions. Safe to call more than once.
void install_font_stand_ins();

/// Shrinks the font of each label and check box among `parent`'s children, a pixel at a time, until its
/// text fits the width it was laid out for: the stand-in fonts run a little wider than the originals, and a
/// cut caption is worse than a slightly smaller one.
void fit_captions(QWidget* parent);

}  // namespace qvr
