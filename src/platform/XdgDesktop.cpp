#include "platform/XdgDesktop.h"

#include <gio/gdesktopappinfo.h>
#include <syslog.h>

#include <regex>

#include "platform/BundleIds.h"
#include "platform/Process.h"
#include "platform/glibptr.h"

namespace {

using EntryPtr = glib::Object<GDesktopAppInfo>;

// The desktop entry names under which each browser the client knows installs, in the order
// they are tried.
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

// The bundle identifier for a desktop entry name, or the name itself when unknown.
std::string bundleIdFor(const std::string& desktopId) {
    for (const auto& [bundleId, ids] : browserEntries()) {
        for (const auto& id : ids) {
            if (id == desktopId) return bundleId;
        }
    }
    return desktopId;
}

std::string baseName(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

// GIO finds entries in the XDG data folders; a session started without the folders Flatpak
// and snap export their entries to still finds the browsers there.
EntryPtr findEntry(const std::string& desktopId) {
    if (EntryPtr entry{g_desktop_app_info_new(desktopId.c_str())}) return entry;
    for (const std::string& dir :
         {std::string(g_get_user_data_dir()) + "/flatpak/exports/share/applications",
          std::string("/var/lib/flatpak/exports/share/applications"),
          std::string("/var/lib/snapd/desktop/applications")}) {
        const std::string path = dir + "/" + desktopId;
        if (EntryPtr entry{g_desktop_app_info_new_from_filename(path.c_str())}) return entry;
    }
    return {};
}

std::string stringOf(GDesktopAppInfo* entry, const char* key) {
    glib::String value(g_desktop_app_info_get_string(entry, key));
    return value ? value.get() : "";
}

// The Exec line split as GIO splits it to start the program; empty when it does not split.
std::vector<std::string> execArgs(GDesktopAppInfo* entry) {
    const std::string exec = stringOf(entry, G_KEY_FILE_DESKTOP_KEY_EXEC);
    gchar** raw = nullptr;
    if (!g_shell_parse_argv(exec.c_str(), nullptr, &raw, nullptr)) return {};
    const glib::Strv owned(raw);
    std::vector<std::string> args;
    for (gchar** arg = raw; *arg != nullptr; ++arg) args.emplace_back(*arg);
    return args;
}

// A snap or Flatpak package, as its entry says: an X-SnapInstanceName or X-Flatpak key, or an
// Exec line that runs /snap/bin/... or "flatpak run" (past "env" and its NAME=value
// assignments: snapd writes "env BAMF_DESKTOP_FILE_HINT=... /snap/bin/firefox %u").
bool isSandboxed(GDesktopAppInfo* entry, const std::vector<std::string>& args) {
    if (g_desktop_app_info_has_key(entry, "X-SnapInstanceName") ||
        g_desktop_app_info_has_key(entry, "X-Flatpak")) {
        return true;
    }
    std::size_t at = 0;
    if (at < args.size() && baseName(args[at]) == "env") {
        ++at;
        while (at < args.size() && args[at].find('=') != std::string::npos && args[at][0] != '-') {
            ++at;
        }
    }
    if (at >= args.size()) return false;
    if (args[at].rfind("/snap/bin/", 0) == 0) return true;
    return baseName(args[at]) == "flatpak" && at + 1 < args.size() && args[at + 1] == "run";
}

// Launchers that only wrap the real program would answer --version with their own.
bool isWrapper(const std::string& program) {
    const std::string base = baseName(program);
    return base == "flatpak" || base == "env" || base == "sh" || base == "bash";
}

// A folder of user-dirs.dirs; the home folder's `fallback` when it names none, or names the
// home folder itself (which the XDG user directories take to mean "not set").
std::string userDir(GUserDirectory which, const char* fallback) {
    const std::string home = g_get_home_dir();
    const char* dir = g_get_user_special_dir(which);
    if (dir == nullptr || home == dir) return home + "/" + fallback;
    return dir;
}

}  // namespace

std::string XdgDesktop::homePath() const {
    return g_get_home_dir();
}

std::string XdgDesktop::configPath() const {
    return g_get_user_config_dir();
}

std::string XdgDesktop::desktopPath() const {
    return userDir(G_USER_DIRECTORY_DESKTOP, "Desktop");
}

std::string XdgDesktop::downloadPath() const {
    return userDir(G_USER_DIRECTORY_DOWNLOAD, "Downloads");
}

std::optional<std::string> XdgDesktop::defaultHttpsHandler() const {
    const glib::Object<GAppInfo> app(g_app_info_get_default_for_uri_scheme("https"));
    const char* id = app ? g_app_info_get_id(app.get()) : nullptr;
    if (id == nullptr) return std::nullopt;
    return bundleIdFor(id);
}

std::string XdgDesktop::versionOf(const std::string& entryPath,
                                  const std::vector<std::string>& execArgs) const {
    std::lock_guard lock(versionMutex_);
    auto cached = versions_.find(entryPath);
    if (cached != versions_.end()) return cached->second;
    std::string version;
    if (!execArgs.empty() && !isWrapper(execArgs.front())) {
        auto output = Process::capture({execArgs.front(), "--version"}, std::chrono::seconds(3));
        std::smatch match;
        static const std::regex number(R"([0-9]+(\.[0-9]+)+)");
        if (output && std::regex_search(*output, match, number)) version = match.str();
    }
    versions_[entryPath] = version;
    return version;
}

std::optional<AppInfo> XdgDesktop::findApplication(const std::string& bundleId) const {
    const auto known = browserEntries().find(bundleId);
    if (known == browserEntries().end()) return std::nullopt;
    for (const auto& id : known->second) {
        const EntryPtr entry = findEntry(id);
        if (!entry) continue;
        const auto args = execArgs(entry.get());
        const char* path = g_desktop_app_info_get_filename(entry.get());
        const std::string entryPath = path != nullptr ? path : "";
        return AppInfo{
            entryPath, g_app_info_get_name(G_APP_INFO(entry.get())), versionOf(entryPath, args),
            stringOf(entry.get(), G_KEY_FILE_DESKTOP_KEY_ICON), isSandboxed(entry.get(), args)};
    }
    return std::nullopt;
}

// GIO expands the field codes and starts the program without a shell; a local file's address
// reaches the browser as its path.
bool XdgDesktop::openUrls(const std::vector<std::string>& urls, const std::string& appPath) {
    const EntryPtr entry(g_desktop_app_info_new_from_filename(appPath.c_str()));
    if (!entry) return false;
    GList* cells = nullptr;
    for (auto url = urls.rbegin(); url != urls.rend(); ++url) {
        cells = g_list_prepend(cells, const_cast<char*>(url->c_str()));
    }
    const glib::List list(cells);
    return g_app_info_launch_uris(G_APP_INFO(entry.get()), list.get(), nullptr, nullptr);
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
