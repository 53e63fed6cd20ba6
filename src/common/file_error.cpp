#include "common/file_error.h"

#include <cstring>

namespace qvr {

std::string file_error_text(std::string_view action, std::string_view path, int err) {
    return file_error_text(action, path, std::string_view(std::strerror(err)));
}

std::string file_error_text(std::string_view action, std::string_view path, std::string_view reason) {
    std::string message(action);
    message += ' ';
    message += path;
    message += ". ";
    message += reason;
    return message;
}

void throw_file_error(std::string_view action, std::string_view path, int err) {
    throw FileError(file_error_text(action, path, err));
}

void throw_file_error(std::string_view action, std::string_view path, std::string_view reason) {
    throw FileError(file_error_text(action, path, reason));
}

std::string with_full_stop(std::string message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
    return message;
}

}  // namespace qvr
