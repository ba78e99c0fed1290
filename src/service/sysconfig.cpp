#include "service/ZOLTLib.h"

namespace {

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

}  // namespace

// Loaded once: after a load succeeds the service is never asked again; a failed load is
// tried again on the next lookup.
void ZOLTLib::loadSysCfg() {
    if (svrCfg_) return;
    std::optional<std::string> answer;
    httpPubKeyEncPost("getSysCfg", {{"version", "1.0"}}, answer);
    const ServiceAnswer reply = read(answer);
    if (!reply.ok()) return;
    auto cfg = leaves(reply, "//Root");
    if (!cfg) return;
    (*cfg)["env.userHome"] = util_.getUserHomePath();
    (*cfg)["env.localAppDataPath"] = "";
    (*cfg)["env.userDeskTop"] = util_.getDeskTopPath();
    if (auto folder = cfg->find("default.macPfxFilePath"); folder != cfg->end()) {
        replaceAll(folder->second, "\\", "/");
        if (folder->second.empty() || folder->second.back() != '/') folder->second += "/";
    }
    (*cfg)["env.userPfxFilePwd"] = "";
    currentPfxFilePwd_ = "";
    (*cfg)["env.userPrivateKeyFolder"] = util_.getPrivateKeyFolder();
    (*cfg)["env.clientVersion"] = "1.0";
    svrCfg_ = std::move(cfg);
}

std::optional<std::string> ZOLTLib::getSysCfg(const std::string& key) {
    loadSysCfg();
    if (key.empty()) return std::nullopt;
    // The default PFX path is derived once, for the first customer who logs in.
    if (currentUserIdno_ && !currentUserIdno_->empty() &&
        (!svrCfg_ || svrCfg_->count("env.userPfxFilePath") == 0)) {
        if (!svrCfg_) {
            currentPfxFilePath_.reset();
        } else {
            auto part = [this](const char* name) {
                auto it = svrCfg_->find(name);
                return it == svrCfg_->end() ? std::string{} : it->second;
            };
            std::string path = part("default.macPfxFilePath") + part("default.pfxFileName");
            replaceAll(path, "#userHome#", part("env.userHome"));
            replaceAll(path, "#desktop#", part("env.userDeskTop"));
            replaceAll(path, "#userId#", *currentUserIdno_);
            replaceAll(path, "#cn#", currentUserCn_.value_or(""));
            replaceAll(path, "#custType#", isFutures() ? "F" : "S");
            (*svrCfg_)["env.userPfxFilePath"] = path;
            currentPfxFilePath_ = path;
        }
    }
    if (!svrCfg_) return std::nullopt;
    auto it = svrCfg_->find(key);
    if (it == svrCfg_->end()) return std::nullopt;
    return it->second;
}

void ZOLTLib::setSysCfg(const std::string& key, const std::string& cfgValue) {
    loadSysCfg();
    if (svrCfg_) (*svrCfg_)[key] = cfgValue;
}
