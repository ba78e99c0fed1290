#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "Config.h"
#include "DemoCa.h"
#include "Registry.h"
#include "Store.h"

// The service's rules from its demo configuration, with state in a temporary folder and no
// network in between: what arrives here has already left the envelope.
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
    Config& config() { return config_; }

    // Logs in and keeps the session for later calls; returns the answer.
    Answer login(const std::string& id, const std::string& password, bool futures = false) {
        Answer answer =
            registry_->handle({"doLogin", futures, std::nullopt, {{"id", id}, {"pwd", password}}});
        for (const auto& [name, value] : answer.fields) {
            if (name == "sessionId") sessionId_ = value;
        }
        return answer;
    }
    Answer call(const std::string& action, std::map<std::string, std::string> params) {
        return registry_->handle({action, false, sessionId_, std::move(params)});
    }
    static std::string field(const Answer& answer, const std::string& name) {
        for (const auto& [key, value] : answer.fields) {
            if (key == name) return value;
        }
        for (const auto& [key, value] : answer.certInfo) {
            if (key == name) return value;
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
