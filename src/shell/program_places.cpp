#include "shell/program_places.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace qvr {

namespace {

constexpr const char* kConfigName = "QVR32.CFG";
constexpr const char* kLogName = "QVR32.LOG";
constexpr const char* kHelpName = "QVR32.HLP";

bool is_file(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

/// A folder named by an XDG variable when it is set to an absolute path (relative ones are to be
/// ignored), else `fallback` under the home folder.
std::string xdg_folder(const EnvironmentLookup& env, const char* variable, const std::string& home,
                       const char* fallback) {
    const char* value = env(variable);
    std::string folder = value != nullptr && value[0] == '/' ? std::string(value) : home + fallback;
    if (folder.back() != '/') folder += '/';
    return folder;
}

}  // namespace

ProgramPlaces program_places(const std::string& program_dir, const EnvironmentLookup& env) {
    const std::string shared_help = program_dir + "../share/quarvel/" + kHelpName;
    const bool help_beside = is_file(program_dir + kHelpName);
    // Root may write anywhere, so writability alone would put root's job log into /usr/bin: an
    // installed copy is also known by its help file under share/.
    const bool installed = ::access(program_dir.c_str(), W_OK) != 0 || (!help_beside && is_file(shared_help));
    if (!installed) {
        return {program_dir + kConfigName, program_dir + kLogName, program_dir + kHelpName, program_dir};
    }

    const char* home_value = env("HOME");
    std::string home = home_value != nullptr && home_value[0] == '/' ? home_value : "/";
    if (home.back() != '/') home += '/';
    ProgramPlaces places;
    places.log_path = xdg_folder(env, "XDG_STATE_HOME", home, ".local/state") + "quarvel/" + kLogName;
    const std::string user_config =
        xdg_folder(env, "XDG_CONFIG_HOME", home, ".config") + "quarvel/" + kConfigName;
    places.config_path = is_file(user_config) ? user_config : program_dir + kConfigName;
    places.help_path = help_beside ? program_dir + kHelpName : shared_help;
    places.dialog_dir = home;
    return places;
}

ProgramPlaces program_places(const std::string& program_dir) {
    return program_places(program_dir, [](const char* name) { return std::getenv(name); });
}

void make_parent_folders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return;
    }
}

}  // namespace qvr
