#pragma once

#include <optional>
#include <string>
#include <vector>

// One NSS certificate database of a browser: a Firefox profile, or the database that Chrome
// and Chromium share.
struct BrowserStore {
    enum class Family { Firefox, Chromium };
    enum class Packaging { Native, Snap, Flatpak };

    Family family = Family::Firefox;
    Packaging packaging = Packaging::Native;
    std::string browser;     // "Firefox", "Chromium", "Chrome", or "Chrome/Chromium" when shared
    std::string profile;     // the Firefox profile's name; empty for a Chromium-family database
    std::string dir;         // the database folder, opened as "sql:" + dir
    bool exists = false;     // the certificate database file is there
    bool isDefault = false;  // the profile Firefox starts with

    bool sandboxed() const { return packaging != Packaging::Native; }
};

// Finds the NSS databases of the browsers under one home folder: every Firefox profile that
// a profiles.ini names (the classic, XDG, snap and Flatpak locations), and the Chromium-family
// databases. The shared ~/.pki/nssdb is always listed (it may not exist yet); a sandboxed
// Chromium's only once that browser has made its folder.
class BrowserStores {
  public:
    // `xdgConfigHome`: the XDG_CONFIG_HOME value when set; used only when absolute, as the
    // XDG rules say, and ~/.config otherwise.
    explicit BrowserStores(std::string home, std::optional<std::string> xdgConfigHome = {});

    std::vector<BrowserStore> find() const;

    // Name of the certificate database file in a store's folder.
    static constexpr const char* kCertDbFile = "cert9.db";

  private:
    void addFirefoxProfiles(const std::string& root, BrowserStore::Packaging packaging,
                            std::vector<BrowserStore>& stores) const;

    std::string home_;
    std::string configHome_;
};
