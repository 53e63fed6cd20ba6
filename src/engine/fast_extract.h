#pragma once

#include "engine/extract_job.h"

namespace qvr {

/// How many result lines the fast extract sends to the result view.
inline constexpr int kFastViewLines = 100;

/// The fast extract: streams the input line by line (a CR ends a line, an LF right after it is skipped,
/// Ctrl+Z ends the input) and writes every passing cut line to the result file at once, in memory that
/// does not grow with the input. It never heads, sorts, drops duplicates or numbers lines. The gauge
/// runs from 15 to at most 99, scaled by the input line count of `tally`, which it first measures
/// (size, and size / 200 lines) when no size is known. The first 100 result lines go to `view_line`.
/// A large input is cut on every core (fast_sharing_for()); the hooks are called from the calling thread.
/// A failure to open a file throws FileError. Once the result file is open, any failure and a stop throw
/// IncompleteResult; the lines written before stay in the file.
void fast_extract(const ExtractJob& job, const ExtractHooks& hooks, RunTally& tally);

/// How the fast extract shares its work between cores: the input, mapped, is cut in chunks of
/// `block_bytes`; the calling thread and `extra_threads` more threads each find and cut the lines that begin
/// in a chunk, and write the chunks in order. With no extra thread (or an input the system will not map)
/// the calling thread reads and cuts line by line. The hooks are only ever called from the calling thread,
/// and the cutter and filter are shared by all threads (their const functions keep no state).
struct FastSharing {
    unsigned extra_threads = 0;
    std::size_t block_bytes = std::size_t{1} << 18;
};

/// One extra thread per further core, none for an input of a few blocks or on a single core.
FastSharing fast_sharing_for(std::int64_t input_size);

/// fast_extract() shared as `sharing` says (tests force small blocks and a given number of threads).
void fast_extract(const ExtractJob& job, const ExtractHooks& hooks, RunTally& tally,
                  const FastSharing& sharing);

/// The fast extract ended after it had begun its result file: what failed (or the stop), and that the
/// file holds only the lines written before.
class IncompleteResult : public UserError {
  public:
    IncompleteResult(const std::string& failure, const std::string& path);
    /// The two lines of what(), for a front end that shows each apart.
    const std::string& failure() const { return failure_; }
    std::string incomplete_text() const;

  private:
    std::string failure_, path_;
};

/// The fast extract's gauge after `lines_read` of about `line_count` lines: 15 + 84 x read / count, at
/// most 99. With no line count (a small file nobody measured) it stays at 15.
int fast_gauge_position(std::int64_t lines_read, std::int64_t line_count);

}  // namespace qvr
