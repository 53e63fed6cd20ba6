#include <dirent.h>
#include <sys/stat.h>

#include <QStringList>
#include <memory>

#include "desktop/path_text.h"

namespace qvr {

namespace {

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// The entry of `folder` shown as `shown`, when exactly one is; else the shown name's own UTF-8.
std::string entry_shown_as(const std::string& folder, const QString& shown) {
    std::string found = shown.toStdString();
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.empty() ? "." : folder.c_str()),
                                                  ::closedir);
    if (!dir) return found;
    int matches = 0;
    while (const dirent* entry = ::readdir(dir.get()))
        if (to_path_text(entry->d_name) == shown && ++matches == 1) found = entry->d_name;
    return matches == 1 ? found : shown.toStdString();
}

}  // namespace

QString to_path_text(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string from_path_text(const QString& text) {
    std::string path = text.toStdString();
    if (!text.contains(QChar::ReplacementCharacter) || exists(path)) return path;
    path.clear();
    const QStringList parts = text.split(QLatin1Char('/'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0) path += '/';
        const std::string folder = path;
        const std::string plain = parts[i].toStdString();
        path += parts[i].contains(QChar::ReplacementCharacter) && !exists(path + plain)
                    ? entry_shown_as(folder, parts[i])
                    : plain;
    }
    return path;
}

}  // namespace qvr
