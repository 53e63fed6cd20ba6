// Runs a shell command and writes its wall time, peak memory and exit status to a file, for bench/compare.
// The measuring is done here, in a small process, because a child started by the Python script would carry
// the script's own memory as its peak.
//
//   measure_run RESULT_FILE 'COMMAND'      writes "<seconds> <peak KiB> <exit status>"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: measure_run RESULT_FILE COMMAND\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child < 0) return 1;
    if (child == 0) {
        ::execl("/bin/sh", "sh", "-c", argv[2], static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) < 0) return 1;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // The largest process of the command (of a pipeline, its biggest member).
    std::FILE* out = std::fopen(argv[1], "w");
    if (!out) return 1;
    std::fprintf(out, "%.6f %ld %d\n", seconds, usage.ru_maxrss,
                 WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    return std::fclose(out) == 0 ? 0 : 1;
}
