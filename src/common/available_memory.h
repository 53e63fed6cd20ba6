#pragma once

#include <cstdint>
#include <string_view>

namespace qvr {

/// The "MemAvailable" figure of a /proc/meminfo text, in bytes; nothing found gives the largest value,
/// so that an unknown figure never refuses anything.
std::uint64_t mem_available_of(std::string_view meminfo);

/// How many bytes of memory the program can still take without the system running out: what the system
/// reports as available, lowered to what a memory limit of the program's control group leaves. Commands
/// that load whole files ask this first, because on this platform running out of memory kills the
/// process instead of failing an allocation. The largest value when the system does not tell.
std::uint64_t available_memory();

/// Where a command learns how much memory it may take: the program asks the machine; a test hands in a
/// probe of its own (through the constructor of what it tests) to meet a file too big for memory.
class MemoryProbe {
  public:
    virtual ~MemoryProbe() = default;
    virtual std::uint64_t available() const { return available_memory(); }

    /// The probe that asks the machine.
    static const MemoryProbe& machine();
};

}  // namespace qvr
