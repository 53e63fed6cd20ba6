#pragma once

#include <atomic>
#include <string>

#include "common/file_error.h"

namespace qvr {

/// A user's wish to end a long run (Esc or Stop in the window, Ctrl+C in the front end). The run's line
/// loops look at it and end by throwing RunStopped, so every file the run was writing is dropped on the
/// way out just as after a failure. Setting it is safe from a signal handler.
class StopRequest {
  public:
    void request() { flag_.store(true, std::memory_order_relaxed); }
    void clear() { flag_.store(false, std::memory_order_relaxed); }
    bool requested() const { return flag_.load(std::memory_order_relaxed); }

  private:
    std::atomic<bool> flag_{false};
};

/// A run ended because the user asked; what() says so.
class RunStopped : public UserError {
  public:
    RunStopped() : UserError("Stopped at the user's request") {}
};

/// Throws RunStopped when `stop` (may be null) has been requested.
inline void check_stop(const StopRequest* stop) {
    if (stop && stop->requested()) throw RunStopped();
}

/// The request that SIGINT sets once stop_on_interrupt() has run (the front end's Ctrl+C). A second
/// SIGINT ends the process at once, as if the program had not asked.
StopRequest& interrupt_request();
void stop_on_interrupt();

static_assert(std::atomic<bool>::is_always_lock_free, "the stop request is set from a signal handler");

}  // namespace qvr
