#pragma once

#include <map>
#include <optional>
#include <string>

#include "RegsvcProcess.h"

// A small client of the service written for its tests, independent of the product's client.
// Answers come back as their leaf elements (nested ones included) by name.
class TestClient {
  public:
    using Leaves = std::map<std::string, std::string>;
    using Params = std::map<std::string, std::string>;

    explicit TestClient(RegsvcProcess& service) : service_(service) {}

    // Public-key envelope; `sessionAddress` puts the session ID in the address.
    std::optional<Leaves> callPublic(const std::string& action, const Params& params,
                                     bool futures = false, bool sessionAddress = false);
    // Session envelope under the key of the last login.
    std::optional<Leaves> callSession(const std::string& action, const Params& params);
    // Logs in (at the futures endpoint when asked) and keeps session ID and key.
    Leaves login(const std::string& id, const std::string& password, bool futures = false);

    int lastHttpStatus() const { return lastStatus_; }
    const std::string& sessionId() const { return sessionId_; }
    void forgetSession(const std::string& id) { sessionId_ = id; }

  private:
    std::optional<std::string> post(const std::string& url, const Params& form);

    RegsvcProcess& service_;
    std::string sessionId_;
    std::string aesKey_;
    bool futures_ = false;
    int lastStatus_ = 0;
};
