#include "Store.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>

bool Store::load(std::string& error) {
    std::ifstream in(path_);
    if (!in) return true;
    auto json = nlohmann::json::parse(in, nullptr, false);
    if (json.is_discarded()) {
        error = path_ + " is not valid JSON";
        return false;
    }
    try {
        nextCertId_ = json.at("nextCertId");
        for (const auto& [customer, list] : json.at("customers").items()) {
            for (const auto& r : list) {
                records_[customer].push_back({r.at("certId"), r.at("kind"), r.at("status"),
                                              r.at("certDer"), r.at("serialHex"), r.at("notBefore"),
                                              r.at("notAfter"), r.at("certPath")});
            }
        }
    } catch (const nlohmann::json::exception& e) {
        error = path_ + ": " + e.what();
        return false;
    }
    return true;
}

bool Store::save() const {
    nlohmann::json customers = nlohmann::json::object();
    for (const auto& [customer, list] : records_) {
        auto& out = customers[customer] = nlohmann::json::array();
        for (const auto& r : list) {
            out.push_back({{"certId", r.certId},
                           {"kind", r.kind},
                           {"status", r.status},
                           {"certDer", r.certDer},
                           {"serialHex", r.serialHex},
                           {"notBefore", r.notBefore},
                           {"notAfter", r.notAfter},
                           {"certPath", r.certPath}});
        }
    }
    const std::string text =
        nlohmann::json{{"nextCertId", nextCertId_}, {"customers", customers}}.dump(2) + "\n";
    // Written beside the target and renamed over it, so a crash never leaves half a file.
    const std::string tmp = path_ + ".tmp";
    int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool ok =
        write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && std::rename(tmp.c_str(), path_.c_str()) == 0;
    if (!ok) std::remove(tmp.c_str());
    return ok;
}
