#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>

#include "common/available_memory.h"

namespace qvr {

/// Where the front end talks: results and reports to a descriptor (standard output, so that a result
/// file of any size streams through it), messages and the progress bar to a stream. Tests hand in their
/// own, so the whole program runs in-process.
struct Console {
    int out_fd;         ///< the result of "--output -", the analysis, the help
    std::ostream& err;  ///< messages, the summary line and the progress bar
    bool err_is_terminal = false;
    std::function<std::chrono::steady_clock::time_point()> now = std::chrono::steady_clock::now;
    /// Bytes of memory the standard extract and the layout file may use.
    const MemoryProbe& memory = MemoryProbe::machine();
    /// Whether the process began with standard input closed (its descriptor then holds /dev/null, so
    /// that no file opened later takes its number and is read as standard input).
    bool input_closed = false;
};

/// Whether standard input is closed; when it is, /dev/null takes its descriptor (see Console).
bool hold_closed_standard_input();

/// Writes `text` to the console's output descriptor; throws FileError when it cannot.
void write_out(const Console& console, std::string_view text);

/// `text` as lines for a terminal or a log: the windows' line break inside a text (LF CR) becomes a plain
/// line feed, and a line feed ends the last line.
std::string as_lines(std::string_view text);

/// Writes one message to the error stream, as_lines(), with its control bytes escaped
/// (with_escaped_controls()) when it is a terminal, so that a name can neither retitle nor recolour the
/// terminal nor forge a line:
/// a message of more lines is told line by line, since a line break inside one may come from a name.
void tell(const Console& console, std::string_view text);

}  // namespace qvr
