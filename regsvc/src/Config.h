#pragma once

#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

struct Customer {
    std::string id;
    std::string password;
    std::string cn;
    bool futures = false;
};

// The service's one configuration file (JSON). Relative file names are read against the
// configuration file's folder.
struct Config {
    std::string host = "127.0.0.1";
    int port = 8443;
    std::string tlsCert, tlsKey, serviceKey;
    std::string rootCert, issuingCert, issuingKey;
    std::string stateFile, templateFile, packageFile;
    int certDays = 365;
    int renewalWindowDays = 30;
    int sessionIdleSeconds = 900;
    bool bundleChain = false;
    std::set<std::string> acceptedVersions{"1.0"};
    std::vector<Customer> customers;
    std::vector<std::pair<std::string, std::string>> sysCfg;  // in the file's order

    static std::optional<Config> load(const std::string& path, std::string& error);
    const Customer* customer(const std::string& id) const;
};
