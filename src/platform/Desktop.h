#pragma once

#include <optional>
#include <string>
#include <vector>

// An installed application as the desktop knows it.
struct AppInfo {
    std::string path;     // where the application is described (its desktop entry on Linux)
    std::string name;     // its display name
    std::string version;  // best effort; empty when unknown
    std::string icon;     // icon name or path; empty when none
    // A snap or Flatpak package: its sandbox may not read hidden folders of the home folder.
    bool sandboxed = false;
};

// The services the client needs from the desktop session. Everything that touches the
// user's environment goes through here, so tests can run against a temporary home.
class Desktop {
  public:
    virtual ~Desktop() = default;

    virtual std::string homePath() const = 0;
    virtual std::string desktopPath() const = 0;
    // The user's download folder; sandboxed browsers may read it.
    virtual std::string downloadPath() const { return homePath() + "/Downloads"; }
    // Where the user's programs keep their settings (XDG_CONFIG_HOME on Linux).
    virtual std::string configPath() const { return homePath() + "/.config"; }

    // The bundle identifier of the default https handler when it is one of the browsers the
    // client knows ("com.google.Chrome", "org.mozilla.Firefox", "com.apple.Safari"),
    // otherwise the handler's own identifier, or nothing when none is set.
    virtual std::optional<std::string> defaultHttpsHandler() const = 0;

    virtual std::optional<AppInfo> findApplication(const std::string& bundleId) const = 0;

    // Starts the application at `appPath` (as found by findApplication) with the addresses;
    // does not wait for it. False when it could not be started.
    virtual bool openUrls(const std::vector<std::string>& urls, const std::string& appPath) = 0;
    virtual bool openUrl(const std::string& url) = 0;
    virtual bool openFile(const std::string& path) = 0;

    virtual void log(const std::string& line) = 0;
};
