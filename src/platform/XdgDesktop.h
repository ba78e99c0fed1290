#pragma once

#include <map>
#include <mutex>

#include "platform/Desktop.h"

// The desktop of a Linux session through GLib's GIO: the user's special folders, the default
// https handler of mimeapps.list, desktop entries for the browsers and their launching. GLib
// reads the XDG variables and user-dirs.dirs once per process. Which entries are the browsers
// the client knows, and which of them are snap or Flatpak packages, is decided here.
class XdgDesktop final : public Desktop {
  public:
    std::string homePath() const override;
    std::string desktopPath() const override;
    std::string downloadPath() const override;
    std::string configPath() const override;
    std::optional<std::string> defaultHttpsHandler() const override;
    std::optional<AppInfo> findApplication(const std::string& bundleId) const override;
    bool openUrls(const std::vector<std::string>& urls, const std::string& appPath) override;
    bool openUrl(const std::string& url) override;
    bool openFile(const std::string& path) override;
    void log(const std::string& line) override;

  private:
    std::string versionOf(const std::string& entryPath,
                          const std::vector<std::string>& execArgs) const;

    mutable std::mutex versionMutex_;
    mutable std::map<std::string, std::string> versions_;  // by entry path; asking is slow
};
