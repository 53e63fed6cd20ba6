#include "common/temp_file_cleanup.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstring>
#include <mutex>

namespace qvr {

namespace {

// Fixed slots, as a signal handler may neither allocate nor take a lock; a program writes one or two
// files at a time.
constexpr int kSlots = 16;
enum SlotState : int { kFree, kFilling, kHeld };

struct Slot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX];
};

Slot slots[kSlots];

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void remove_and_end(int sig) {
    for (Slot& slot : slots)
        if (slot.state.load() == kHeld) ::unlink(slot.path);
    // SA_RESETHAND made the default action current and SA_NODEFER lets it act now: the usual end and
    // status for this signal.
    ::raise(sig);
}

void install_handlers() {
    for (int sig : kSignals) {
        struct sigaction old {};
        if (::sigaction(sig, nullptr, &old) != 0 || old.sa_handler != SIG_DFL || (old.sa_flags & SA_SIGINFO))
            continue;
        struct sigaction act {};
        act.sa_handler = remove_and_end;
        act.sa_flags = SA_RESETHAND | SA_NODEFER;
        ::sigemptyset(&act.sa_mask);
        ::sigaction(sig, &act, nullptr);
    }
}

}  // namespace

void remove_temp_file_on_signal(const std::string& path) {
    static std::once_flag installed;
    std::call_once(installed, install_handlers);
    if (path.size() >= PATH_MAX) return;
    for (Slot& slot : slots) {
        int expected = kFree;
        if (!slot.state.compare_exchange_strong(expected, kFilling)) continue;
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
        slot.state.store(kHeld);
        return;
    }
}

void forget_temp_file(const std::string& path) {
    for (Slot& slot : slots) {
        int expected = kHeld;
        if (slot.state.load() == kHeld && path == slot.path) {
            slot.state.compare_exchange_strong(expected, kFree);
            return;
        }
    }
}

}  // namespace qvr
