#pragma once

namespace qvr {

/// The character the input view shows for a byte. It is the program's common mapping (common/char_map.h),
/// except for the control bytes (0 to 31, 127 and the five bytes Windows-1252 leaves undefined): a text
/// box draws those as nothing, as a tab stop or as a line break, which would shift every column after
/// them. They get visible stand-ins instead (mostly the classic PC glyphs: a NUL shows as a light shade),
/// one character each, so the view, the ruler and the selection length stay true to the file's columns.
char16_t view_char(unsigned char byte);

}  // namespace qvr
