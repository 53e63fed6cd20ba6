#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace qvr {

/// The text a widget shows for the program's bytes, one character per byte (see common/char_map.h).
QString to_widget_text(std::string_view bytes);

/// The bytes behind a widget's text; a character the mapping lacks (typed by the user) becomes "?".
std::string from_widget_text(const QString& text);

}  // namespace qvr
