#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "batch/batch_main.h"
#include "support/memory_limit.h"
#include "support/temp_dir.h"

namespace qvr::test {

using Args = std::vector<std::string>;

/// The arguments of `parts`, one after the other.
inline Args join(std::initializer_list<Args> parts) {
    Args args;
    for (const Args& part : parts) args.insert(args.end(), part.begin(), part.end());
    return args;
}

/// What one run of the front end left: its exit status and what it said on each stream.
struct BatchOutcome {
    int status = -1;
    std::string out, err;
};

/// How the machine looks to one in-process run.
struct Machine {
    bool terminal = false;  ///< whether the error stream is a terminal
    std::function<std::chrono::steady_clock::time_point()> clock = std::chrono::steady_clock::now;
    std::optional<std::uint64_t> memory = {};  ///< bytes of memory available; unset: what the machine has
};

/// What is left to read from `stream` (a pipe or a file not yet read).
inline std::string read_stream(std::FILE* stream) {
    return read_file("/proc/self/fd/" + std::to_string(::fileno(stream)));
}

/// Runs the front end in-process on `args`, standard output into a file of its own and the error stream
/// into a string. The file starts with what the shell wrote there: a run adds to it and leaves it open.
inline BatchOutcome run_batch_in_process(const Args& args, const Machine& machine = {}) {
    BatchOutcome outcome;
    std::FILE* sink = std::tmpfile();
    EXPECT_EQ(7, ::write(::fileno(sink), "before\n", 7));
    std::ostringstream err;
    MemoryLimit limit;
    limit.bytes = machine.memory;
    const Console console{::fileno(sink), err, machine.terminal, machine.clock, limit};
    outcome.status = run_batch(args, console);
    outcome.err = err.str();
    EXPECT_EQ(5, ::write(::fileno(sink), "after", 5));
    const std::string out = read_stream(sink);
    EXPECT_TRUE(out.starts_with("before\n") && out.ends_with("after")) << out;
    outcome.out = out.size() >= 12 ? out.substr(7, out.size() - 12) : out;
    std::fclose(sink);
    return outcome;
}

}  // namespace qvr::test
