#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace qvr {

/// A failure the user is told about as it is; what() is the message, exactly (the general error box adds
/// the full stop, see with_full_stop()). Each kind below is one way a job fails.
class UserError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

/// A file that could not be opened, created, read or written; what() is file_error_text().
class FileError : public UserError {
  public:
    using UserError::UserError;
};

/// "<action> <path>. <strerror(err)>", e.g. "Cannot create file /a/b. Permission denied".
std::string file_error_text(std::string_view action, std::string_view path, int err);

/// The same with a reason of the program's own where the system has none, e.g. "It is not a regular file".
std::string file_error_text(std::string_view action, std::string_view path, std::string_view reason);

/// Throws FileError with file_error_text().
[[noreturn]] void throw_file_error(std::string_view action, std::string_view path, int err);
[[noreturn]] void throw_file_error(std::string_view action, std::string_view path, std::string_view reason);

/// The text of the general error box: a full stop is added when the message's last character comes after
/// "." in character order, so a message never ends without punctuation and never gets a second one.
std::string with_full_stop(std::string message);

}  // namespace qvr
