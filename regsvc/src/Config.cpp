#include "Config.h"

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

namespace {

std::string resolve(const std::filesystem::path& dir, const std::string& name) {
    if (name.empty()) return name;
    std::filesystem::path path(name);
    return path.is_absolute() ? name : (dir / path).string();
}

}  // namespace

std::optional<Config> Config::load(const std::string& path, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    // ordered_json keeps the configuration values in the order the file gives them.
    auto json = nlohmann::ordered_json::parse(in, nullptr, false);
    if (json.is_discarded() || !json.is_object()) {
        error = path + " is not a JSON object";
        return std::nullopt;
    }
    const auto dir = std::filesystem::absolute(path).parent_path();
    Config c;
    try {
        c.host = json.at("listen").value("host", c.host);
        c.port = json.at("listen").value("port", c.port);
        c.tlsCert = resolve(dir, json.at("tls").at("cert"));
        c.tlsKey = resolve(dir, json.at("tls").at("key"));
        c.serviceKey = resolve(dir, json.at("serviceKey"));
        c.rootCert = resolve(dir, json.at("ca").at("rootCert"));
        c.issuingCert = resolve(dir, json.at("ca").at("issuingCert"));
        c.issuingKey = resolve(dir, json.at("ca").at("issuingKey"));
        c.stateFile = resolve(dir, json.value("stateFile", "state.json"));
        c.templateFile = resolve(dir, json.value("templateFile", ""));
        c.packageFile = resolve(dir, json.value("packageFile", ""));
        c.certDays = json.value("certDays", c.certDays);
        c.renewalWindowDays = json.value("renewalWindowDays", c.renewalWindowDays);
        c.sessionIdleSeconds = json.value("sessionIdleSeconds", c.sessionIdleSeconds);
        c.bundleChain = json.value("bundleChain", c.bundleChain);
        if (json.contains("acceptedVersions")) {
            c.acceptedVersions = json["acceptedVersions"].get<std::set<std::string>>();
        }
        for (const auto& customer : json.at("customers")) {
            c.customers.push_back({customer.at("id"), customer.at("password"), customer.at("cn"),
                                   customer.value("type", "stock") == "futures"});
        }
        for (const auto& [key, value] : json.at("sysCfg").items()) {
            c.sysCfg.emplace_back(key, value.get<std::string>());
        }
    } catch (const nlohmann::json::exception& e) {
        error = path + ": " + e.what();
        return std::nullopt;
    }
    return c;
}

const Customer* Config::customer(const std::string& id) const {
    for (const auto& c : customers) {
        if (c.id == id) return &c;
    }
    return nullptr;
}
