#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

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

    /// A window runs a long job on the thread that takes the user's input: `poll` (empty: none) is then
    /// called on every 256th look at the request from the thread that set it, so that Esc and Stop are
    /// seen between two moves of the gauge. Looks from other threads (sort key workers) never call it.
    void poll_while_running(std::function<void()> poll) {
        poll_ = std::move(poll);
        poll_thread_ = std::this_thread::get_id();
    }
    /// One look at the request by a run's loop.
    void look() const {
        if (!poll_) return;
        // Plain load and store: a count lost between threads only moves one poll a little.
        const unsigned looks = looks_.load(std::memory_order_relaxed) + 1;
        looks_.store(looks, std::memory_order_relaxed);
        if (looks % 256 == 0 && std::this_thread::get_id() == poll_thread_) poll_();
    }

  private:
    std::atomic<bool> flag_{false};
    std::function<void()> poll_;
    std::thread::id poll_thread_;
    mutable std::atomic<unsigned> looks_{0};
};

/// A run ended because the user asked; what() says so.
class RunStopped : public UserError {
  public:
    RunStopped() : UserError("Stopped at the user's request") {}
};

/// Throws RunStopped when `stop` (may be null) has been requested.
inline void check_stop(const StopRequest* stop) {
    if (!stop) return;
    stop->look();
    if (stop->requested()) throw RunStopped();
}

/// The request that SIGINT sets once stop_on_interrupt() has run (the front end's Ctrl+C). A second
/// SIGINT ends the process at once, as if the program had not asked.
StopRequest& interrupt_request();
void stop_on_interrupt();

static_assert(std::atomic<bool>::is_always_lock_free, "the stop request is set from a signal handler");

}  // namespace qvr
