#pragma once

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "RegsvcProcess.h"
#include "service/ZOLTLib.h"
#include "support/FakeDesktop.h"

// A client against the stand-in service on a free loopback port, in a temporary home.
class ServiceFixture : public testing::Test {
  protected:
    explicit ServiceFixture(std::map<std::string, std::string> overrides = {},
                            HttpLimits limits = HttpLimits::serviceCall())
        : service(overrides), limits(limits), lib(desktop, endpointOf(service), limits) {}

    static ServiceEndpoint endpointOf(const RegsvcProcess& s) {
        return {"127.0.0.1:" + std::to_string(s.port()), s.servicePublicKeyPem(),
                s.trustAnchorPem()};
    }

    // What the service received, oldest first.
    nlohmann::json requests() { return nlohmann::json::parse(service.requests()); }
    int count(const std::string& action) {
        int n = 0;
        for (const auto& r : requests()) n += r["action"] == action;
        return n;
    }

    RegsvcProcess service;
    HttpLimits limits;
    FakeDesktop desktop;
    ZOLTLib lib;
    std::string errMsg;
};
