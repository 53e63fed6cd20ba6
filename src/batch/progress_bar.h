#pragma once

#include <chrono>

#include "batch/console.h"

namespace qvr {

/// How long a job runs before its progress bar appears: a quick job leaves no trace on the terminal.
inline constexpr std::chrono::milliseconds kProgressDelay{500};

/// The windows' gauge on a terminal: one line on the error stream, redrawn in place when the position
/// changes, shown only when that stream is a terminal and the job has run for kProgressDelay, and wiped
/// before anything else is said there.
class ProgressBar {
  public:
    explicit ProgressBar(const Console& console);
    ~ProgressBar() { clear(); }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    /// Moves the bar to `position`, 0 to 100 (held at those ends).
    void show(int position);
    /// Wipes the bar's line, when it was drawn.
    void clear();

  private:
    const Console& console_;
    std::chrono::steady_clock::time_point start_;
    int position_ = -1;
    bool drawn_ = false;
};

}  // namespace qvr
