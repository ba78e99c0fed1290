#include "platform/BrowserStores.h"

#include <algorithm>
#include <filesystem>

#include "platform/glibptr.h"

namespace fs = std::filesystem;

namespace {

bool isFile(const std::string& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

bool isDir(const std::string& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

// The folder with links resolved, so that two names of one folder compare equal.
fs::path identity(const std::string& dir) {
    std::error_code error;
    auto canonical = fs::weakly_canonical(dir, error);
    return error ? fs::path(dir) : canonical;
}

// A value as written, escapes and all: Firefox writes paths unescaped.
std::optional<std::string> valueOf(GKeyFile* ini, const std::string& group, const char* key) {
    glib::String value(g_key_file_get_value(ini, group.c_str(), key, nullptr));
    if (!value) return std::nullopt;
    return std::string(value.get());
}

std::vector<std::string> groupsOf(GKeyFile* ini) {
    const glib::Strv names(g_key_file_get_groups(ini, nullptr));
    std::vector<std::string> groups;
    for (gchar** name = names.get(); name != nullptr && *name != nullptr; ++name) {
        groups.emplace_back(*name);
    }
    return groups;
}

// "Profile<n>" groups in the order of n, as Firefox numbers them; other groups are not profiles.
std::vector<std::string> profileGroups(GKeyFile* ini) {
    std::vector<std::pair<unsigned long, std::string>> numbered;
    for (const auto& group : groupsOf(ini)) {
        const std::string digits = group.substr(0, 7) == "Profile" ? group.substr(7) : "";
        if (digits.empty() || digits.size() > 9 ||
            !std::all_of(digits.begin(), digits.end(),
                         [](char c) { return c >= '0' && c <= '9'; })) {
            continue;
        }
        numbered.emplace_back(std::stoul(digits), group);
    }
    std::sort(numbered.begin(), numbered.end());
    std::vector<std::string> groups;
    for (auto& entry : numbered) groups.push_back(std::move(entry.second));
    return groups;
}

// A profile path as Firefox reads it: relative to profiles.ini unless IsRelative=0 says not.
std::string resolve(const std::string& root, const std::string& path, bool relative) {
    fs::path resolved = relative ? fs::path(root) / path : fs::path(path);
    std::string text = resolved.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

}  // namespace

BrowserStores::BrowserStores(std::string home, std::optional<std::string> xdgConfigHome)
    : home_(std::move(home)) {
    configHome_ = xdgConfigHome && !xdgConfigHome->empty() && xdgConfigHome->front() == '/'
                      ? *xdgConfigHome
                      : home_ + "/.config";
}

void BrowserStores::addFirefoxProfiles(const std::string& root, BrowserStore::Packaging packaging,
                                       std::vector<BrowserStore>& stores) const {
    const glib::KeyFile file(g_key_file_new());
    const std::string iniPath = root + "/profiles.ini";
    if (!g_key_file_load_from_file(file.get(), iniPath.c_str(), G_KEY_FILE_NONE, nullptr)) return;
    GKeyFile* ini = file.get();
    auto value = [ini](const std::string& group, const char* key) {
        return valueOf(ini, group, key);
    };
    // Newer Firefox versions name each installation's default profile in an Install group;
    // older ones mark it with Default=1.
    std::vector<std::string> installDefaults;
    for (const auto& group : groupsOf(ini)) {
        auto path = group.rfind("Install", 0) == 0 ? value(group, "Default") : std::nullopt;
        if (path && !path->empty()) {
            installDefaults.push_back(resolve(root, *path, path->front() != '/'));
        }
    }
    for (const auto& group : profileGroups(ini)) {
        const auto path = value(group, "Path");
        if (!path || path->empty()) continue;
        const bool relative =
            value(group, "IsRelative").value_or(path->front() == '/' ? "0" : "1") != "0";
        BrowserStore store;
        store.family = BrowserStore::Family::Firefox;
        store.packaging = packaging;
        store.browser = "Firefox";
        store.dir = resolve(root, *path, relative);
        store.profile = value(group, "Name").value_or(fs::path(store.dir).filename().string());
        store.exists = isFile(store.dir + "/" + kCertDbFile);
        store.isDefault = installDefaults.empty()
                              ? value(group, "Default") == "1"
                              : std::find(installDefaults.begin(), installDefaults.end(),
                                          store.dir) != installDefaults.end();
        stores.push_back(std::move(store));
    }
}

std::vector<BrowserStore> BrowserStores::find() const {
    using P = BrowserStore::Packaging;
    std::vector<BrowserStore> stores;
    const std::string snapFirefox = home_ + "/snap/firefox/common";
    const std::string flatpakFirefox = home_ + "/.var/app/org.mozilla.firefox";
    const std::pair<std::string, P> firefoxRoots[] = {
        {home_ + "/.mozilla/firefox", P::Native},
        {configHome_ + "/mozilla/firefox", P::Native},
        {snapFirefox + "/.mozilla/firefox", P::Snap},
        {snapFirefox + "/.config/mozilla/firefox", P::Snap},
        {flatpakFirefox + "/.mozilla/firefox", P::Flatpak},
        {flatpakFirefox + "/config/mozilla/firefox", P::Flatpak}};
    for (const auto& [root, packaging] : firefoxRoots) addFirefoxProfiles(root, packaging, stores);

    // Chromium-family browsers keep one database per user, made on first use.
    struct Chromium {
        const char* browser;
        P packaging;
        std::string appDir;  // the sandbox's own folder; empty for the shared database
        std::string dir;
    };
    const Chromium chromiums[] = {
        {"Chrome/Chromium", P::Native, "", home_ + "/.pki/nssdb"},
        {"Chromium", P::Snap, home_ + "/snap/chromium",
         home_ + "/snap/chromium/current/.pki/nssdb"},
        {"Chromium", P::Flatpak, home_ + "/.var/app/org.chromium.Chromium",
         home_ + "/.var/app/org.chromium.Chromium/.pki/nssdb"},
        {"Chrome", P::Flatpak, home_ + "/.var/app/com.google.Chrome",
         home_ + "/.var/app/com.google.Chrome/.pki/nssdb"}};
    for (const auto& chromium : chromiums) {
        if (!chromium.appDir.empty() && !isDir(chromium.appDir)) continue;
        BrowserStore store;
        store.family = BrowserStore::Family::Chromium;
        store.packaging = chromium.packaging;
        store.browser = chromium.browser;
        store.dir = chromium.dir;
        store.exists = isFile(store.dir + "/" + kCertDbFile);
        stores.push_back(std::move(store));
    }

    // Two profiles.ini files may name one folder; it is one store.
    std::vector<BrowserStore> unique;
    for (auto& store : stores) {
        const auto id = identity(store.dir);
        if (std::none_of(unique.begin(), unique.end(),
                         [&](const BrowserStore& s) { return identity(s.dir) == id; })) {
            unique.push_back(std::move(store));
        }
    }
    return unique;
}
