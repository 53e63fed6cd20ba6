#include "batch/progress_bar.h"

#include <algorithm>
#include <string>

namespace qvr {

namespace {
constexpr int kWidth = 40;
}

ProgressBar::ProgressBar(const Console& console) : console_(console), start_(console.now()) {}

void ProgressBar::show(int position) {
    position = std::clamp(position, 0, 100);
    if (!console_.err_is_terminal || position == position_) return;
    if (!drawn_ && console_.now() - start_ < kProgressDelay) return;
    position_ = position;
    drawn_ = true;
    const int filled = position * kWidth / 100;
    std::string line = "\r[";
    line.append(static_cast<std::size_t>(filled), '#');
    line.append(static_cast<std::size_t>(kWidth - filled), '.');
    line += "] ";
    const std::string percent = std::to_string(position);
    line.append(3 - percent.size(), ' ');
    line += percent + "%";
    console_.err << line << std::flush;
}

void ProgressBar::clear() {
    if (!drawn_) return;
    drawn_ = false;
    console_.err << '\r' << std::string(kWidth + 7, ' ') << '\r' << std::flush;
}

}  // namespace qvr
