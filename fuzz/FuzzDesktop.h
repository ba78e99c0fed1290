#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Desktop.h"
#include "util/Types.h"

// What every fuzz target shares: a desktop with a temporary home of its own (removed when the
// process ends) that logs nowhere and starts nothing, and the files the targets read.
namespace fuzz {

class FuzzDesktop final : public Desktop {
  public:
    FuzzDesktop();
    ~FuzzDesktop() override;

    std::string homePath() const override { return home_; }
    std::string desktopPath() const override { return home_ + "/Desktop"; }
    std::optional<std::string> defaultHttpsHandler() const override { return std::nullopt; }
    std::optional<AppInfo> findApplication(const std::string&) const override {
        return std::nullopt;
    }
    bool openUrls(const std::vector<std::string>&, const std::string&) override { return true; }
    bool openUrl(const std::string&) override { return true; }
    bool openFile(const std::string&) override { return true; }
    void log(const std::string&) override {}

  private:
    std::string home_;
};

// The one desktop of the process.
FuzzDesktop& desktop();

// A file of the stand-in service's demo folder, or of the fuzz folder.
std::string demoFile(const std::string& name);
std::string fuzzFile(const std::string& name);

// Ends the process as a crash would, with the reason on standard error.
[[noreturn]] void fail(const std::string& why);

}  // namespace fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
