#include "shell/link_check.h"

#include <array>

namespace qvr {

namespace {
bool starts_with_ignoring_case(std::string_view text, std::string_view start) {
    if (text.size() < start.size()) return false;
    for (std::size_t i = 0; i < start.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != start[i]) return false;
    }
    return true;
}
}  // namespace

bool may_open_link(std::string_view link) {
    constexpr std::array<std::string_view, 3> schemes = {"http:", "https:", "mailto:"};
    for (std::string_view scheme : schemes)
        if (starts_with_ignoring_case(link, scheme)) return true;
    return false;
}

}  // namespace qvr
