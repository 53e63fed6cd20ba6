#include "common/stop_request.h"

#include <signal.h>

namespace qvr {

namespace {

StopRequest interrupted;

extern "C" void request_stop(int) { interrupted.request(); }

}  // namespace

StopRequest& interrupt_request() { return interrupted; }

void stop_on_interrupt() {
    struct sigaction act {};
    act.sa_handler = request_stop;
    // The handler is taken back by the first Ctrl+C, so a run that waits (a pipe) still ends at the second.
    act.sa_flags = SA_RESETHAND;
    ::sigemptyset(&act.sa_mask);
    ::sigaction(SIGINT, &act, nullptr);
}

}  // namespace qvr
