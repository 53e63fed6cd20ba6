#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "batch/batch_main.h"

int main(int argc, char** argv) {
    // Arguments are taken as the bytes given, whatever the locale: texts and paths are bytes throughout.
    const std::vector<std::string> args(argv + 1, argv + argc);
    const qvr::Console console{
        .out_fd = STDOUT_FILENO, .err = std::cerr, .err_is_terminal = ::isatty(STDERR_FILENO) == 1};
    return qvr::run_batch(args, console);
}
