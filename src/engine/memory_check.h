#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "common/available_memory.h"

namespace qvr {

/// The bytes a sorted run may hold in its lines, their keys and its merges when `available` bytes are free:
/// what is left after the reading and writing buffers, the collation and what the system adds (at least a
/// quarter of it, for tiny amounts). Lines beyond it go to sorted runs on disk, so the run never asks for
/// more.
std::uint64_t sort_memory_budget(std::uint64_t available);

/// A size as "512M", "2G", "64K" or plain bytes (upper or lower case letter, powers of 1024); nothing
/// for any other text or a size that overflows.
std::optional<std::uint64_t> read_memory_size(std::string_view text);

/// A probe that reports at most `cap` bytes of what `inner` reports: the front end's --memory.
class CappedMemory : public MemoryProbe {
  public:
    CappedMemory(const MemoryProbe& inner, std::uint64_t cap) : inner_(inner), cap_(cap) {}
    std::uint64_t available() const override;

  private:
    const MemoryProbe& inner_;
    std::uint64_t cap_;
};

}  // namespace qvr
