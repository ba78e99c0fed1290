#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>

#include "Config.h"
#include "DemoCa.h"
#include "OpensslCli.h"
#include "Registry.h"
#include "Store.h"

// A fresh folder under the system's temporary folder, removed with everything in it.
struct ScratchFolder {
    ScratchFolder() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "regsvc-XXXXXX").string();
        path = mkdtemp(tmpl.data());
    }
    ~ScratchFolder() { std::filesystem::remove_all(path); }
    std::string path;
};

// The service's rules from its demo configuration, with state in a folder and no network in
// between: what arrives here has already left the envelope.
class ServiceUnderTest {
  public:
    explicit ServiceUnderTest(const std::string& folder) : store_(folder + "/state.json") {
        std::string error;
        config_ = *Config::load(std::string(NORVALE_REGSVC_DEMO_DIR) + "/config.json", error);
        ca_ = DemoCa::load(config_.rootCert, config_.issuingCert, config_.issuingKey);
        store_.load(error);
        registry_.emplace(config_, *ca_, store_);
    }

    Registry& registry() { return *registry_; }
    const Config& config() const { return config_; }

    // Logs in and keeps the session for later calls; returns the answer.
    Answer login(const std::string& id, const std::string& password, bool futures = false) {
        Answer answer =
            registry_->handle({"doLogin", futures, std::nullopt, {{"id", id}, {"pwd", password}}});
        if (answer.rtnCode == "0") sessionId_ = field(answer, "sessionId");
        return answer;
    }
    Answer call(const std::string& action, std::map<std::string, std::string> params) {
        return registry_->handle({action, false, sessionId_, std::move(params)});
    }
    static std::string field(const Answer& answer, const std::string& name) {
        for (const auto* fields : {&answer.fields, &answer.certInfo}) {
            for (const auto& [key, value] : *fields) {
                if (key == name) return value;
            }
        }
        return "";
    }

  private:
    Config config_;
    std::optional<DemoCa> ca_;
    Store store_;
    std::optional<Registry> registry_;
    std::optional<std::string> sessionId_;
};

// A logged-in demo customer, with the openssl tool at hand in the same folder.
class LoggedIn : public testing::Test {
  protected:
    LoggedIn() { service.login("A123456789", "demo1234"); }
    static std::string get(const Answer& a, const std::string& name) {
        return ServiceUnderTest::field(a, name);
    }

    ScratchFolder folder;
    OpensslCli tool{folder.path};
    ServiceUnderTest service{folder.path};
    const std::string cn = "A123456789-00";
};
