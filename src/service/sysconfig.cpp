#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>

#include "service/ZOLTLib.h"

namespace {

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

// Folders of a path after the backslash and slash rules ("\\" is a separator, empty and "."
// parts are nothing, ".." goes up); nothing when ".." would leave the root.
std::optional<std::vector<std::string>> resolvedParts(std::string path) {
    replaceAll(path, "\\", "/");
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        auto slash = path.find('/', start);
        if (slash == std::string::npos) slash = path.size();
        const std::string part = path.substr(start, slash - start);
        start = slash + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (parts.empty()) return std::nullopt;
            parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    return parts;
}

bool hasControlCharacter(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7f) return true;
        // C1 controls, and the line and paragraph separators that end a properties line.
        if (c == 0xc2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xa0) {
            return true;
        }
        if (text.compare(i, 3, "\xe2\x80\xa8") == 0 || text.compare(i, 3, "\xe2\x80\xa9") == 0) {
            return true;
        }
    }
    return false;
}

std::string joined(const std::vector<std::string>& parts, std::size_t count) {
    std::string path;
    for (std::size_t i = 0; i < count; ++i) path += "/" + parts[i];
    return path;
}

std::optional<std::string> realPath(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) return std::nullopt;
    return std::string(resolved);
}

// Whether every part of the path that exists, links followed, still lies inside the home
// folder; the parts that do not exist yet are folders the export makes.
bool staysInside(const std::vector<std::string>& parts, std::size_t homeSize,
                 const std::string& home) {
    const auto realHome = realPath(home);
    if (!realHome) return false;
    for (std::size_t count = homeSize + 1; count <= parts.size(); ++count) {
        const std::string prefix = joined(parts, count);
        struct stat info {};
        if (::lstat(prefix.c_str(), &info) != 0) return true;
        const auto real = realPath(prefix);
        if (!real || real->rfind(*realHome + "/", 0) != 0) return false;
    }
    return true;
}

}  // namespace

// The default PFX path must name a visible file inside the home folder: the template comes
// from the service, and "#userHome#/.bashrc", "../", "/etc/..." or a link out of the home
// folder would have PFX bytes written over another file. Nothing, and the reason for the
// log, when it does not.
std::optional<std::string> ZOLTLib::confinedPfxPath(const std::string& path,
                                                    const std::string& home, std::string& why) {
    if (hasControlCharacter(path)) {
        why = "it holds a control character";
        return std::nullopt;
    }
    if (path.empty() || (path.front() != '/' && path.front() != '\\')) {
        why = "it is not an absolute path";
        return std::nullopt;
    }
    auto parts = resolvedParts(path);
    auto homeParts = resolvedParts(home);
    if (!parts || !homeParts || homeParts->empty() || home.front() != '/' ||
        parts->size() <= homeParts->size() ||
        !std::equal(homeParts->begin(), homeParts->end(), parts->begin())) {
        why = "it leaves the home folder";
        return std::nullopt;
    }
    for (std::size_t i = homeParts->size(); i < parts->size(); ++i) {
        if ((*parts)[i].front() == '.') {
            why = "it names a hidden file or folder";
            return std::nullopt;
        }
    }
    const std::string confined = joined(*parts, parts->size());
    if (!staysInside(*parts, homeParts->size(), joined(*homeParts, homeParts->size()))) {
        why = "a link leads it out of the home folder";
        return std::nullopt;
    }
    return confined;
}

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
            std::string why;
            auto confined = confinedPfxPath(path, util_.getUserHomePath(), why);
            // Not the path itself: it carries the ID number.
            if (!confined) util_.log("no default PFX path: " + why);
            (*svrCfg_)["env.userPfxFilePath"] = confined.value_or("");
            currentPfxFilePath_ = confined.value_or("");
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
