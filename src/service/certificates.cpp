#include "crypto/CryptoResult.h"
#include "service/ServiceResult.h"
#include "service/ZOLTLib.h"

using namespace service_result;

// The request travels as its base64 body: the armour lines go, the inner line breaks stay.
std::string ZOLTLib::requestBody(const std::string& csr) const {
    if (csr.empty()) return csr;
    return util_.regexReplace(csr, "^-+[^-]+-+\n|\n-+[^-]+-+$", "");
}

int ZOLTLib::readIssued(const ServiceAnswer& answer, int failure, std::string& b64Cert,
                        StringMap& certInfo, std::string& errMsg) const {
    if (!answer.ok()) {
        errMsg = answer.message();
        return failure;
    }
    b64Cert = value(answer, "//Root/cert");
    if (auto details = leaves(answer, "//Root/certInfo")) certInfo = *details;
    return kOk;
}

int ZOLTLib::applyCert(const std::string& cn, std::string& b64PrivateKey, std::string& b64Cert,
                       StringMap& certInfo, std::string& errMsg) {
    std::string fnStatus;
    int certCount = 0, effectCertCount = 0;
    if (int rc = getFnStatus(cn, fnStatus, certCount, effectCertCount, errMsg); rc != kOk) {
        return rc;
    }
    if (fnStatus.empty() || fnStatus[0] == '0') return kOk;
    b64PrivateKey = "";
    std::string csr;
    if (fnStatus[0] == '1') {
        if (int rc = rsa().createCSR(cn, 2048, csr, b64PrivateKey); rc != 0) return rc;
    }
    std::optional<std::string> answer;
    if (httpAesEncPost("applyCert",
                       {{"csr", requestBody(csr)}, {"userId", getUserIdno().value_or("")}},
                       answer) != 0) {
        return kApplicationFailed;
    }
    return readIssued(read(answer), kApplicationFailed, b64Cert, certInfo, errMsg);
}

int ZOLTLib::renewCert(const std::string& cn, const std::string& pfxFilePath,
                       const std::string& pfxFilePwd, std::string& b64Cert, StringMap& certInfo,
                       std::string& errMsg) {
    std::string fnStatus;
    int certCount = 0, effectCertCount = 0;
    if (getFnStatus(cn, fnStatus, certCount, effectCertCount, errMsg) != kOk) return 1;
    auto lastActive = getLastActiveCertInfo(cn);
    if (!lastActive) return 1;
    const char digit = fnStatus.size() > 1 ? fnStatus[1] : '0';
    std::string csr;
    if (digit == '1') {
        std::string privateKey;  // stays in the private key cache for the export
        if (int rc = rsa().createCSR(cn, 2048, csr, privateKey); rc != 0) return rc;
    } else if (digit != '2') {
        return kRenewNotOffered;
    }
    const std::string body = requestBody(csr);
    std::string sign;
    if (!body.empty()) {
        Bytes signature;
        if (rsa().signPKCS7(pfxFilePath, pfxFilePwd, Bytes(body.begin(), body.end()), signature) !=
            0) {
            return kRenewalNotSigned;
        }
        sign = util_.base64Encode(signature);
    }
    std::optional<std::string> answer;
    const std::string serial = lastActive->count("serial") ? lastActive->at("serial") : "";
    if (int rc = httpAesEncPost("renewCert", {{"hexSerial", serial}, {"csr", body}, {"sign", sign}},
                                answer);
        rc != 0) {
        return rc;
    }
    return readIssued(read(answer), kRenewalRefused, b64Cert, certInfo, errMsg);
}

int ZOLTLib::exportCert(const std::string& b64Cert, const std::optional<std::string>& b64PrivateKey,
                        const std::string& pfxFilePath, const std::string& pfxFilePwd,
                        std::string& errMsg) {
    // The default path may lie in a folder that does not exist yet, such as the desktop.
    if (!pfxFilePath.empty()) util_.checkAndMakeDir(util_.getFolderNameFromFullPath(pfxFilePath));
    return rsa().exportP12ToFile(b64Cert, b64PrivateKey, pfxFilePath, pfxFilePwd, errMsg);
}

int ZOLTLib::activeCert(int certId, const std::string& pfxFilePath, std::string& errMsg) {
    std::optional<std::string> answer;
    if (httpAesEncPost("activeCert",
                       {{"certApplyId", std::to_string(certId)}, {"certPath", pfxFilePath}},
                       answer) != 0) {
        return kActivationFailed;
    }
    const ServiceAnswer reply = read(answer);
    if (reply.ok()) return kOk;
    errMsg = reply.message();
    return kActivationFailed;
}

int ZOLTLib::qrySvrCertInfo(const std::string& cn, StringMap& certInfo, std::string& errMsg) {
    std::optional<std::string> answer;
    const int rc = httpAesEncPost("qryCert", {{"cn", cn}}, answer);
    if (rc != 0) return rc;
    const ServiceAnswer reply = read(answer);
    if (!reply.ok()) {
        errMsg = reply.message();
    } else if (auto record = leaves(reply, "//Root")) {
        certInfo = *record;
    }
    return rc;
}

int ZOLTLib::qryClntCertInfo(const std::string& /*cn*/, const std::string& pfxFilePath,
                             const std::string& pfxFilePwd, StringMap& certInfo,
                             std::string& /*errMsg*/) {
    ossl::Pkcs12 unused;
    return rsa().loadPfx(pfxFilePath, pfxFilePwd, unused, certInfo);
}

std::optional<StringMap> ZOLTLib::getClientCertInfo(const std::string& pfxFilePath,
                                                    const std::string& pfxFilePwd,
                                                    const std::optional<std::string>& cn,
                                                    const std::optional<std::string>& issuser,
                                                    const std::optional<std::string>& hexSerial,
                                                    const std::optional<std::string>& certHash) {
    StringMap info;
    if (rsa().loadPfx(pfxFilePath, pfxFilePwd, info) != crypto_result::kOk) return std::nullopt;
    auto given = [](const std::optional<std::string>& v) { return v && !v->empty(); };
    if (given(certHash) && *certHash != info["certHash"]) return std::nullopt;
    if (given(cn) && *cn != info["cn"]) return std::nullopt;
    if (given(hexSerial) && *hexSerial != info["serial"]) return std::nullopt;
    if (given(issuser) && !rsa().cmpSubject(*issuser, info["issuer"])) return std::nullopt;
    return info;
}

std::optional<StringMap> ZOLTLib::getLastActiveCertInfo(const std::string& cn) {
    std::optional<std::string> answer;
    if (httpAesEncPost("qryLastActiveCert", {{"cn", cn}}, answer) != 0) return std::nullopt;
    const ServiceAnswer reply = read(answer);
    if (!reply.ok()) return std::nullopt;
    return leaves(reply, "//Root");
}
