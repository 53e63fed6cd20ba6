#pragma once

#include <cstddef>

namespace qvr {

/// The first byte in [p, end) that is `a` or `b`, or `end` when there is none. Both line rules look for
/// one of two bytes on every line (CR or LF; CR or Ctrl+Z), so this one scan serves them, sixteen bytes
/// at a time where the processor allows.
const char* find_either(const char* p, const char* end, char a, char b);

/// The first carriage return or line feed in [p, end), or `end`.
inline const char* find_cr_or_lf(const char* p, const char* end) { return find_either(p, end, '\r', '\n'); }

}  // namespace qvr
