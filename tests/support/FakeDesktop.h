#pragma once

#include <map>
#include <set>

#include "platform/Desktop.h"
#include "support/TempDir.h"

// A desktop with a temporary home, browsers the test installs, and a record of everything
// opened or logged. A browser whose path is in `refusing` will not start. Without `records`
// nothing opened or logged is kept (the fuzz targets' runs would fill memory with it).
class FakeDesktop final : public Desktop {
  public:
    explicit FakeDesktop(bool records = true) : records_(records) {}

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
    std::optional<AppInfo> findApplication(const std::string& bundleId) const override {
        auto it = apps.find(bundleId);
        return it == apps.end() ? std::nullopt : std::optional(it->second);
    }
    bool openUrls(const std::vector<std::string>& urls, const std::string& appPath) override {
        if (refusing.count(appPath) != 0) return false;
        if (records_) opened.push_back({appPath, urls});
        return true;
    }
    bool openUrl(const std::string& url) override { return openUrls({url}, ""); }
    bool openFile(const std::string& path) override {
        if (records_) openedFiles.push_back(path);
        return true;
    }
    void log(const std::string& line) override {
        if (records_) log_ += line + "\n";
    }
    const std::string& logText() const { return log_; }  // a line each

    std::optional<std::string> downloadFolder;  // the home folder's Downloads when unset
    std::optional<std::string> defaultHandler;
    std::map<std::string, AppInfo> apps;  // by bundle identifier
    std::set<std::string> refusing;
    std::vector<Opened> opened;
    std::vector<std::string> openedFiles;

  private:
    bool records_;
    TempDir home_;
    std::string log_;
};
