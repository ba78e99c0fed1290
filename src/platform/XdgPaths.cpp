#include "platform/XdgPaths.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

std::vector<std::string> splitList(const std::string& text, char sep) {
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    while (start <= text.size()) {
        auto end = text.find(sep, start);
        if (end == std::string::npos) end = text.size();
        if (end > start) parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string passwdHome() {
    struct passwd pw {};
    struct passwd* result = nullptr;
    std::vector<char> buf(16384);
    if (getpwuid_r(getuid(), &pw, buf.data(), buf.size(), &result) == 0 && result != nullptr &&
        result->pw_dir != nullptr) {
        return result->pw_dir;
    }
    return "/";
}

}  // namespace

XdgPaths::XdgPaths()
    : env_([](const std::string& name) -> std::optional<std::string> {
          const char* value = std::getenv(name.c_str());
          if (value == nullptr) return std::nullopt;
          return std::string(value);
      }) {}

XdgPaths::XdgPaths(Env env) : env_(std::move(env)) {}

std::string XdgPaths::home() const {
    auto home = env_("HOME");
    if (home && !home->empty()) return *home;
    return passwdHome();
}

// The base directory specification ignores relative paths in these variables.
std::string XdgPaths::dirOr(const std::string& var, const std::string& fallback) const {
    auto value = env_(var);
    if (value && !value->empty() && value->front() == '/') return *value;
    return fallback;
}

std::vector<std::string> XdgPaths::listOr(const std::string& var,
                                          const std::string& fallback) const {
    auto value = env_(var);
    std::vector<std::string> dirs;
    for (auto& dir : splitList(value && !value->empty() ? *value : fallback, ':')) {
        if (dir.front() == '/') dirs.push_back(dir);
    }
    return dirs;
}

std::string XdgPaths::configHome() const {
    return dirOr("XDG_CONFIG_HOME", home() + "/.config");
}

std::vector<std::string> XdgPaths::configDirs() const {
    return listOr("XDG_CONFIG_DIRS", "/etc/xdg");
}

std::string XdgPaths::dataHome() const {
    return dirOr("XDG_DATA_HOME", home() + "/.local/share");
}

std::vector<std::string> XdgPaths::dataDirs() const {
    return listOr("XDG_DATA_DIRS", "/usr/local/share:/usr/share");
}

std::vector<std::string> XdgPaths::currentDesktops() const {
    auto names = splitList(env_("XDG_CURRENT_DESKTOP").value_or(""), ':');
    for (auto& name : names) {
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    }
    return names;
}

std::vector<std::string> XdgPaths::applicationDirs() const {
    std::vector<std::string> dirs{dataHome() + "/applications"};
    for (const auto& dir : dataDirs()) dirs.push_back(dir + "/applications");
    for (const auto& extra : {dataHome() + "/flatpak/exports/share/applications",
                              std::string("/var/lib/flatpak/exports/share/applications"),
                              std::string("/var/lib/snapd/desktop/applications")}) {
        if (std::find(dirs.begin(), dirs.end(), extra) == dirs.end()) dirs.push_back(extra);
    }
    return dirs;
}
