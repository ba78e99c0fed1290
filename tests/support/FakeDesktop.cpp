#include "support/FakeDesktop.h"

std::optional<AppInfo> FakeDesktop::findApplication(const std::string& bundleId) const {
    auto it = apps.find(bundleId);
    if (it == apps.end()) return std::nullopt;
    return it->second;
}

bool FakeDesktop::openUrls(const std::vector<std::string>& urls, const std::string& appPath) {
    if (refusing.count(appPath) != 0) return false;
    opened.push_back({appPath, urls});
    return true;
}

bool FakeDesktop::openUrl(const std::string& url) {
    opened.push_back({"", {url}});
    return true;
}

bool FakeDesktop::openFile(const std::string& path) {
    openedFiles.push_back(path);
    return true;
}

std::string FakeDesktop::logText() const {
    std::string text;
    for (const auto& line : logLines) text += line + "\n";
    return text;
}
