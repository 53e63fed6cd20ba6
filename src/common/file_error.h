#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace qvr {

/// A file that could not be opened, created, read or written; what() is the system's message with the
/// file it concerns, ready for the general error box.
class FileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

/// Throws FileError with "<action> <path>. <strerror(err)>", e.g. "Cannot create file /a/b. Permission
/// denied".
[[noreturn]] void throw_file_error(std::string_view action, std::string_view path, int err);

/// The same with a reason of the program's own where the system has none, e.g. "It is not a regular file".
[[noreturn]] void throw_file_error(std::string_view action, std::string_view path, std::string_view reason);

/// The text of the general error box: a full stop is added when the message's last character comes after
/// "." in character order, so a message never ends without punctuation and never gets a second one.
std::string with_full_stop(std::string message);

}  // namespace qvr
