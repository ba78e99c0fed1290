#include "platform/XdgDesktop.h"

#include <syslog.h>

#include <fstream>
#include <regex>

#include "platform/BundleIds.h"
#include "platform/KeyFile.h"
#include "platform/Process.h"

namespace {

const std::map<std::string, std::vector<std::string>>& browserEntries() {
    static const std::map<std::string, std::vector<std::string>> entries{
        {bundle_id::kChrome,
         {"google-chrome.desktop", "google-chrome-stable.desktop", "com.google.Chrome.desktop",
          "chromium.desktop", "chromium-browser.desktop", "org.chromium.Chromium.desktop",
          "chromium_chromium.desktop"}},
        {bundle_id::kFirefox,
         {"firefox.desktop", "firefox-esr.desktop", "org.mozilla.firefox.desktop",
          "firefox_firefox.desktop"}},
    };
    return entries;
}

std::vector<std::string> splitSemicolons(const std::string& value) {
    std::vector<std::string> items;
    std::string item;
    for (char c : value) {
        if (c == ';') {
            if (!item.empty()) items.push_back(item);
            item.clear();
        } else {
            item += c;
        }
    }
    if (!item.empty()) items.push_back(item);
    return items;
}

// Launchers that only wrap the real program would answer --version with their own.
bool isWrapper(const std::string& program) {
    auto slash = program.rfind('/');
    auto base = slash == std::string::npos ? program : program.substr(slash + 1);
    return base == "flatpak" || base == "env" || base == "sh" || base == "bash";
}

}  // namespace

XdgDesktop::XdgDesktop(XdgPaths paths) : paths_(std::move(paths)) {}

std::string XdgDesktop::homePath() const {
    return paths_.home();
}

// A folder of user-dirs.dirs, a shell fragment such as XDG_DESKTOP_DIR="$HOME/Desktop"; the
// home folder's `fallback` when it names none, or the home folder itself (which the XDG user
// directories take to mean "not set").
std::string XdgDesktop::userDir(const std::string& key, const std::string& fallback) const {
    const std::string home = paths_.home();
    std::ifstream in(paths_.configHome() + "/user-dirs.dirs");
    std::string value;
    const std::string prefix = key + "=";
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(prefix, 0) != 0) continue;
        value = line.substr(prefix.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
    }
    if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
    while (value.size() > 1 && value.back() == '/') value.pop_back();
    if (value.empty() || value.front() != '/' || value == home) return home + "/" + fallback;
    return value;
}

std::string XdgDesktop::desktopPath() const {
    return userDir("XDG_DESKTOP_DIR", "Desktop");
}

std::string XdgDesktop::downloadPath() const {
    return userDir("XDG_DOWNLOAD_DIR", "Downloads");
}

const std::vector<std::string>& XdgDesktop::desktopIdsFor(const std::string& bundleId) {
    static const std::vector<std::string> none;
    auto it = browserEntries().find(bundleId);
    return it == browserEntries().end() ? none : it->second;
}

std::string XdgDesktop::bundleIdFor(const std::string& desktopId) {
    for (const auto& [bundleId, ids] : browserEntries()) {
        for (const auto& id : ids) {
            if (id == desktopId) return bundleId;
        }
    }
    return desktopId;
}

std::optional<DesktopEntry> XdgDesktop::findEntry(const std::string& desktopId) const {
    for (const auto& dir : paths_.applicationDirs()) {
        std::ifstream probe(dir + "/" + desktopId);
        if (!probe) continue;
        // The first entry found by this name shadows later ones, even a hidden one.
        return DesktopEntry::load(dir + "/" + desktopId);
    }
    return std::nullopt;
}

// The lookup order of the XDG MIME Applications specification.
std::vector<std::string> XdgDesktop::mimeappsFiles() const {
    std::vector<std::string> folders{paths_.configHome()};
    for (const auto& dir : paths_.configDirs()) folders.push_back(dir);
    folders.push_back(paths_.dataHome() + "/applications");
    for (const auto& dir : paths_.dataDirs()) folders.push_back(dir + "/applications");
    std::vector<std::string> files;
    for (const auto& folder : folders) {
        for (const auto& desktop : paths_.currentDesktops()) {
            files.push_back(folder + "/" + desktop + "-mimeapps.list");
        }
        files.push_back(folder + "/mimeapps.list");
    }
    return files;
}

std::optional<std::string> XdgDesktop::defaultHttpsHandler() const {
    for (const auto& path : mimeappsFiles()) {
        auto file = KeyFile::load(path);
        if (!file) continue;
        auto value = file->value("Default Applications", "x-scheme-handler/https");
        if (!value) continue;
        for (const auto& id : splitSemicolons(*value)) {
            if (findEntry(id)) return bundleIdFor(id);
        }
    }
    return std::nullopt;
}

std::string XdgDesktop::versionOf(const DesktopEntry& entry) const {
    std::lock_guard lock(versionMutex_);
    auto cached = versions_.find(entry.path());
    if (cached != versions_.end()) return cached->second;
    std::string version;
    auto args = DesktopEntry::splitExec(entry.exec());
    if (args && !isWrapper(args->front())) {
        auto output = Process::capture({args->front(), "--version"}, std::chrono::seconds(3));
        std::smatch match;
        static const std::regex number(R"([0-9]+(\.[0-9]+)+)");
        if (output && std::regex_search(*output, match, number)) version = match.str();
    }
    versions_[entry.path()] = version;
    return version;
}

std::optional<AppInfo> XdgDesktop::findApplication(const std::string& bundleId) const {
    for (const auto& id : desktopIdsFor(bundleId)) {
        auto entry = findEntry(id);
        if (!entry) continue;
        return AppInfo{entry->path(), entry->name(), versionOf(*entry), entry->icon(),
                       entry->sandboxed()};
    }
    return std::nullopt;
}

bool XdgDesktop::openUrls(const std::vector<std::string>& urls, const std::string& appPath) {
    auto entry = DesktopEntry::load(appPath);
    if (!entry) return false;
    auto lines = entry->commandLines(urls);
    if (!lines) return false;
    bool started = true;
    for (const auto& argv : *lines) started = Process::spawnDetached(argv) && started;
    return started;
}

bool XdgDesktop::openUrl(const std::string& url) {
    return Process::spawnDetached({"xdg-open", url});
}

bool XdgDesktop::openFile(const std::string& path) {
    return Process::spawnDetached({"xdg-open", path});
}

void XdgDesktop::log(const std::string& line) {
    static std::once_flag opened;
    std::call_once(opened, [] { openlog("norvale", LOG_PID, LOG_USER); });
    syslog(LOG_INFO, "%s", line.c_str());
}
