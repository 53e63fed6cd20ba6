#pragma once

#include <optional>

#include "common/available_memory.h"

namespace qvr::test {

/// A memory probe a test sets: what the machine has until `bytes` is set.
struct MemoryLimit : MemoryProbe {
    std::optional<std::uint64_t> bytes;
    std::uint64_t available() const override { return bytes ? *bytes : MemoryProbe::available(); }
};

}  // namespace qvr::test
