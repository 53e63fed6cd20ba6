#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qvr {

/// A regular file's bytes mapped read-only: the system's page cache holds them, so a view of a result of
/// gigabytes costs the process the pages it shows, not a copy of the file. Should another program shrink
/// the file while it is mapped, reading past its new end would end the process (SIGBUS); such pages read
/// as zeros instead, which a text taken whole reads as its end.
class MappedFile {
  public:
    /// Maps the file at `path` (a regular file, as every reader opens it). Throws FileError
    /// "Cannot open file …" or "Cannot read file …".
    explicit MappedFile(const std::string& path);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    std::string_view bytes() const { return {data_, size_}; }

    /// Gives the pages holding bytes [from, to) back to the system; they are read again from the file (or
    /// the page cache) when next used. A pass over the whole file so keeps no more of it in
    /// the process than the piece it is at.
    void release(std::size_t from, std::size_t to) const;

  private:
    const char* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace qvr
