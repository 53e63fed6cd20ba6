#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qvr {

/// The first byte in [p, end) that is `a` or `b`, or `end` when there is none. Both line rules look for
/// one of two bytes on every line (CR or LF; CR or Ctrl+Z), so this one scan serves them, sixteen bytes
/// at a time where the processor allows.
const char* find_either(const char* p, const char* end, char a, char b);

/// The first carriage return or line feed in [p, end), or `end`.
inline const char* find_cr_or_lf(const char* p, const char* end) { return find_either(p, end, '\r', '\n'); }

/// The rule of a text taken whole (the result file, the view, the job log): a line ends at CR LF, at a
/// lone CR or at a lone LF; the last line needs no line end.
struct LineBounds {
    const char* stop;  ///< the line's end, its line end excluded
    const char* next;  ///< where the next line starts (`end` after the last line)
};
inline LineBounds line_at(const char* p, const char* end) {
    const char* stop = find_cr_or_lf(p, end);
    if (stop == end) return {end, end};
    const char* next = stop + 1;
    if (*stop == '\r' && next < end && *next == '\n') ++next;
    return {stop, next};
}

/// The lines of a text under the rule of line_at().
class TextLines {
  public:
    explicit TextLines(std::string_view text) : text_(text), pos_(text.data()) {}

    /// The next line without its line end; false after the last line.
    bool next(std::string_view& line);

    /// How many lines the text holds (counted without consuming this cursor).
    std::uint64_t count() const;

  private:
    std::string_view text_;
    const char* pos_;
};

/// The rule of a file read as a stream, block by block (the input file): a line ends at CR LF, at a lone
/// CR or at a lone LF, also when the CR and the LF fall in different blocks; a byte 26 (Ctrl+Z) ends the
/// file. So a file cuts into the same lines whether it is streamed or taken whole. Under the rule of a
/// text taken whole (for the job log read as a stream) Ctrl+Z is an ordinary byte.
class StreamSplitter {
  public:
    enum class Rule { input, whole_text };
    explicit StreamSplitter(Rule rule = Rule::input) : ctrl_z_ends_file_(rule == Rule::input) {}

    enum class Stop {
        none,      ///< the block ended inside the line
        line_end,  ///< the line ended
        file_end,  ///< a Ctrl+Z ended the file
    };
    struct Piece {
        const char* begin;  ///< the piece of the line is [begin, stop)
        const char* stop;
        const char* next;  ///< where the block goes on
        Stop why;
    };

    /// The next piece of a line in the block [p, end), p < end. A piece with why == none may be empty
    /// (the block held only the line feed of the last line end).
    Piece next(const char* p, const char* end);

  private:
    bool ctrl_z_ends_file_;
    bool after_cr_ = false;  // the last line ended at a CR that was its block's last byte
};

}  // namespace qvr
