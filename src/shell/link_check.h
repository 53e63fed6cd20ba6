#pragma once

#include <string_view>

namespace qvr {

/// Whether a link of the Help menu may go to the desktop: only web addresses ("http:", "https:") and
/// "mailto:" links, whatever their letter case. The links come from an editable configuration file, and
/// the desktop would run a program or open a file as readily as a web page.
bool may_open_link(std::string_view link);

}  // namespace qvr
