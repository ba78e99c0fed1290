#pragma once

#include <map>
#include <mutex>

#include "platform/Desktop.h"
#include "platform/DesktopEntry.h"
#include "platform/XdgPaths.h"

// The desktop of a Linux session, found the XDG way: user-dirs.dirs for the desktop and
// download folders, mimeapps.list for the default https handler, desktop entries for browsers.
class XdgDesktop final : public Desktop {
  public:
    explicit XdgDesktop(XdgPaths paths = XdgPaths{});

    std::string homePath() const override;
    std::string desktopPath() const override;
    std::string downloadPath() const override;
    std::optional<std::string> defaultHttpsHandler() const override;
    std::optional<AppInfo> findApplication(const std::string& bundleId) const override;
    bool openUrls(const std::vector<std::string>& urls, const std::string& appPath) override;
    bool openUrl(const std::string& url) override;
    bool openFile(const std::string& path) override;
    void log(const std::string& line) override;

    // The desktop entry names under which a browser with this bundle identifier installs.
    static const std::vector<std::string>& desktopIdsFor(const std::string& bundleId);
    // The bundle identifier for a desktop entry name, or the name itself when unknown.
    static std::string bundleIdFor(const std::string& desktopId);

  private:
    std::string userDir(const std::string& key, const std::string& fallback) const;
    std::optional<DesktopEntry> findEntry(const std::string& desktopId) const;
    std::vector<std::string> mimeappsFiles() const;
    std::string versionOf(const DesktopEntry& entry) const;

    XdgPaths paths_;
    mutable std::mutex versionMutex_;
    mutable std::map<std::string, std::string> versions_;  // by entry path; asking is slow
};
