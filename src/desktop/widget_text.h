#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "common/text_encoding.h"

namespace qvr {

/// The text a widget shows for the program's bytes, one character per byte (see common/char_map.h).
QString to_widget_text(std::string_view bytes);
/// The text a widget shows for bytes in `encoding`, one character per column: in UTF-8 each character
/// as itself and a byte that starts none as the replacement character, as the input view shows them.
QString to_widget_text(std::string_view bytes, TextEncoding encoding);

/// The bytes behind a widget's text; a character the mapping lacks (typed by the user) becomes "?".
std::string from_widget_text(const QString& text);

}  // namespace qvr
