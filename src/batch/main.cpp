#include <signal.h>
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "batch/batch_main.h"
#include "common/stop_request.h"

int main(int argc, char** argv) {
    // Arguments are taken as the bytes given, whatever the locale: texts and paths are bytes throughout.
    const std::vector<std::string> args(argv + 1, argv + argc);
    const bool input_closed = qvr::hold_closed_standard_input();
    const qvr::Console console{.out_fd = STDOUT_FILENO,
                               .err = std::cerr,
                               .err_is_terminal = ::isatty(STDERR_FILENO) == 1,
                               .input_closed = input_closed};
    const int status = qvr::run_batch(args, console);
    // A run ended by Ctrl+C has dropped its files; the process now ends as the signal would have ended it.
    if (qvr::interrupt_request().requested()) {
        ::signal(SIGINT, SIG_DFL);
        ::raise(SIGINT);
    }
    return status;
}
