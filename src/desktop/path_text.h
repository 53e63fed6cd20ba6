#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace qvr {

/// How a file name shows in a box, a label, a message or the job log: the system's UTF-8, any byte that is
/// not UTF-8 as a replacement mark (U+FFFD).
QString to_path_text(std::string_view bytes);

/// The bytes of the file a shown or typed name stands for: its UTF-8, except where it holds replacement
/// marks and no such file exists; each such part of the path is then taken as the one entry of its folder
/// that shows as it does (a name picked in the dialog or shown by to_path_text opens with its own bytes).
std::string from_path_text(const QString& text);

/// A path a box shows, with the bytes it was shown from: while the box still reads the same, those bytes
/// are the path, so a name holding bytes that are not UTF-8 (and a name derived from it) keeps them.
struct ShownPath {
    std::string bytes;
    QString shown;

    /// Shows `path` and remembers its bytes; returns the text to show.
    QString show(const std::string& path) {
        bytes = path;
        shown = to_path_text(path);
        return shown;
    }
    /// The bytes of the path a box reading `text` stands for.
    std::string read(const QString& text) const { return text == shown ? bytes : from_path_text(text); }
};

}  // namespace qvr
