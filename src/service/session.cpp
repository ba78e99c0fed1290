#include "service/ServiceResult.h"
#include "service/ZOLTLib.h"

using namespace service_result;

#ifndef NORVALE_APP_NAME
#define NORVALE_APP_NAME "NorvaleCertClient"
#endif

int ZOLTLib::versionCheck(std::string& /*errMsg*/) {
    std::optional<std::string> answer;
    if (httpPubKeyEncPost("checkVersion", {{"os", "mac"}, {"version", "1.0"}}, answer) != 0) {
        return kVersionNoAnswer;
    }
    return read(answer).ok() ? kOk : kVersionRefused;
}

int ZOLTLib::login(const std::string& idno, const std::string& pwd, std::string& errMsg) {
    return loginAttempt(idno, pwd, errMsg, true);
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

std::string ZOLTLib::dlNewClient() {
    const std::string target = util_.getUserHomePath() + "/Downloads/" NORVALE_APP_NAME ".pkg";
    auto address = getSysCfg("app.mac.dlUrl");
    if (!address || !util_.httpDownloadAsFile(*address, target)) return "";
    return target;
}
