#pragma once

#include <map>
#include <set>

#include "platform/Desktop.h"
#include "support/TempDir.h"

// A desktop with a temporary home, browsers the test installs, and a record of everything
// opened or logged. A browser whose path is in `refusing` will not start.
class FakeDesktop final : public Desktop {
  public:
    struct Opened {
        std::string appPath;
        std::vector<std::string> urls;
    };

    std::string homePath() const override { return home_.path(); }
    std::string desktopPath() const override { return home_.path() + "/Desktop"; }
    std::string downloadPath() const override {
        return downloadFolder.value_or(home_.path() + "/Downloads");
    }
    std::optional<std::string> defaultHttpsHandler() const override { return defaultHandler; }
    std::optional<AppInfo> findApplication(const std::string& bundleId) const override;
    bool openUrls(const std::vector<std::string>& urls, const std::string& appPath) override;
    bool openUrl(const std::string& url) override;
    bool openFile(const std::string& path) override;
    void log(const std::string& line) override { logLines.push_back(line); }

    // Everything logged so far, one line each, for searching.
    std::string logText() const;

    std::optional<std::string> downloadFolder;  // the home folder's Downloads when unset
    std::optional<std::string> defaultHandler;
    std::map<std::string, AppInfo> apps;  // by bundle identifier
    std::set<std::string> refusing;
    std::vector<Opened> opened;
    std::vector<std::string> openedFiles;
    std::vector<std::string> logLines;

  private:
    TempDir home_;
};
