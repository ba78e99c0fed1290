#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "Config.h"
#include "DemoCa.h"
#include "OpensslCli.h"
#include "Registry.h"
#include "Store.h"
#include "support/TempDir.h"

// A field of the answer or of its certificate information; "" when it has none.
inline std::string get(const Answer& answer, const std::string& name) {
    for (const auto* fields : {&answer.fields, &answer.certInfo}) {
        for (const auto& [key, value] : *fields) {
            if (key == name) return value;
        }
    }
    return "";
}

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
        if (answer.rtnCode == "0") sessionId_ = get(answer, "sessionId");
        return answer;
    }
    Answer call(const std::string& action, std::map<std::string, std::string> params) {
        return registry_->handle({action, false, sessionId_, std::move(params)});
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

    TempDir folder;
    OpensslCli tool{folder.path()};
    ServiceUnderTest service{folder.path()};
    const std::string cn = "A123456789-00";
};
