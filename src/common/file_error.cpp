#include "common/file_error.h"

#include <cstring>

namespace qvr {

void throw_file_error(std::string_view action, std::string_view path, int err) {
    throw_file_error(action, path, std::string_view(std::strerror(err)));
}

void throw_file_error(std::string_view action, std::string_view path, std::string_view reason) {
    std::string message(action);
    message += ' ';
    message += path;
    message += ". ";
    message += reason;
    throw FileError(message);
}

std::string with_full_stop(std::string message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
    return message;
}

}  // namespace qvr
