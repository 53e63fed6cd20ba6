#pragma once

#include <string>
#include <string_view>

namespace qvr {

/// True for the characters that separate folders in a path on this platform.
bool is_path_separator(char c);

/// The file name of a path: the text after its last separator (the whole text when it has none).
std::string file_name_of(std::string_view path);

/// The path with the final extension of its file name (from its last "." to the end) replaced by
/// `new_ending`; a file name without "." gets `new_ending` appended. A "." in a folder name is no extension.
std::string with_replaced_extension(std::string_view path, std::string_view new_ending);

/// The folder of a path, ending in a separator ("" when the path has none).
std::string folder_of(std::string_view path);

/// Whether the file exists (any kind of file).
bool file_exists(const std::string& path);

/// Whether two paths name the same file: the same text, or the same file on disk under two spellings
/// (relative and absolute, a link, "..").
bool same_file(const std::string& a, const std::string& b);

}  // namespace qvr
