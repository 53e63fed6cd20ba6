#pragma once

#include <string>
#include <string_view>

namespace qvr::test {

/// A fresh folder for one test, removed with everything in it at the end.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    /// The folder, ending in "/".
    const std::string& path() const { return path_; }
    /// path() + name.
    std::string file(std::string_view name) const { return path_ + std::string(name); }
    /// Writes `bytes` to path() + name and returns the full path.
    std::string write(std::string_view name, std::string_view bytes) const;

  private:
    std::string path_;
};

/// The whole content of a file, or "<missing>" when it cannot be read.
std::string read_file(const std::string& path);

/// Names of the entries of a folder, sorted (to show that no temporary file stayed behind).
std::string list_folder(const std::string& path);

/// The folder of the example files.
std::string examples_dir();

/// Windows-1252 bytes in UTF-8, as `iconv -f cp1252 -t utf-8` gives them.
std::string utf8_of_cp1252(std::string_view bytes);

}  // namespace qvr::test
