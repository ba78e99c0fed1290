#include "service/ServiceResult.h"
#include "service/ZOLTLib.h"
#include "util/TextCodec.h"

using namespace service_result;

#ifndef NORVALE_APP_NAME
#define NORVALE_APP_NAME "NorvaleCertClient"
#endif

// Refused only when the service answered with a code of its own: a body that is no answer
// (none, cut off, garbled, an error page) says nothing about the client's version.
int ZOLTLib::versionCheck(std::string& /*errMsg*/) {
    std::optional<std::string> answer;
    if (httpPubKeyEncPost("checkVersion", {{"os", "mac"}, {"version", "1.0"}}, answer) != 0) {
        return kVersionNoAnswer;
    }
    const ServiceAnswer reply = read(answer);
    if (!reply.rtnCode) return kVersionNoAnswer;
    return reply.ok() ? kOk : kVersionRefused;
}

// Every login starts at the stock endpoint, whatever an earlier one did; the customer type a
// futures redirect sets stays only when the login succeeds. Otherwise one failed futures login
// would send every later login of the process to the futures endpoint.
int ZOLTLib::login(const std::string& idno, const std::string& pwd, std::string& errMsg) {
    const auto held = custType_;
    custType_.reset();
    const int rc = loginAttempt(idno, pwd, errMsg, true);
    if (rc != kOk) custType_ = held;
    return rc;
}

int ZOLTLib::loginAttempt(const std::string& idno, const std::string& pwd, std::string& errMsg,
                          bool mayRedirect) {
    std::optional<std::string> answer;
    if (int rc = httpPubKeyEncPost("doLogin", {{"id", idno}, {"pwd", pwd}}, answer); rc != 0) {
        return rc;
    }
    const ServiceAnswer reply = read(answer);
    // "997" sends a futures customer to the futures endpoint, once: a second "997" from there
    // ends the login instead of going round for ever.
    if (reply.rtnCode == "997" && mayRedirect) {
        custType_ = "FT";
        int rc = loginAttempt(idno, pwd, errMsg, false);
        errMsg = reply.message();
        return rc;
    }
    if (!reply.ok()) {
        errMsg = reply.message();
        return kLoginRefused;
    }
    currentUserIdno_ = idno;
    httpAesKey_ = value(reply, "//Root/aeskey");
    httpSessionId_ = value(reply, "//Root/sessionId");
    currentUserCn_ = value(reply, "//Root/cn");
    custType_ = value(reply, "//Root/custType");
    getSysCfg("");
    return kOk;
}

int ZOLTLib::logout(const std::string& /*idno*/) {
    std::optional<std::string> answer;
    if (int rc = httpAesEncPost("doLogout", {{"version", "1.0"}}, answer); rc != 0) return rc;
    return read(answer).ok() ? kOk : kLogoutRefused;
}

int ZOLTLib::getFnStatus(const std::string& cn, std::string& fnStatus, int& certCount,
                         int& effectCertCount, std::string& errMsg) {
    if (cn.empty()) return kFnStatusNoCn;
    std::optional<std::string> answer;
    if (httpAesEncPost("getFnStatus", {{"cn", cn}}, answer) != 0) return kFnStatusFailed;
    const ServiceAnswer reply = read(answer);
    if (!reply.ok()) {
        errMsg = reply.message();
        return kFnStatusFailed;
    }
    fnStatus = value(reply, "//Root/fnStatus");
    certCount = leadingInt(value(reply, "//Root/certCount"));
    effectCertCount = leadingInt(value(reply, "//Root/effectCertCount"));
    return kOk;
}

int ZOLTLib::iAmAlive() {
    std::optional<std::string> ignored;
    httpAesEncPost("iAmAlive", {{"version", "1.0"}}, ignored);
    return kOk;
}

std::string ZOLTLib::installerName(const std::string& url) {
    const std::string fallback = NORVALE_APP_NAME ".pkg";
    const auto scheme = url.find("://");
    if (scheme == std::string::npos) return fallback;
    const std::string path =
        url.substr(scheme + 3, url.find_first_of("?#", scheme + 3) - scheme - 3);
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return fallback;  // no path after the host
    auto hex = [](char c) {
        return c >= '0' && c <= '9'   ? c - '0'
               : c >= 'a' && c <= 'f' ? c - 'a' + 10
               : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                      : -1;
    };
    std::string name;
    const std::string raw = path.substr(slash + 1);
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '%' && i + 2 < raw.size() && hex(raw[i + 1]) >= 0 && hex(raw[i + 2]) >= 0) {
            name += static_cast<char>(hex(raw[i + 1]) * 16 + hex(raw[i + 2]));
            i += 2;
        } else {
            name += raw[i];
        }
    }
    // A plain, visible file name of UTF-8 text, or the application's own name.
    if (name.empty() || name.front() == '.' || name.size() > 200 || !TextCodec::isValidUtf8(name)) {
        return fallback;
    }
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7f || c == '/' || c == '\\') return fallback;
    }
    return name;
}

std::string ZOLTLib::dlNewClient() {
    auto address = getSysCfg("app.mac.dlUrl");
    if (!address) return "";
    const std::string target = util_.desktop().downloadPath() + "/" + installerName(*address);
    if (!util_.httpDownloadAsFile(*address, target)) return "";
    return target;
}
