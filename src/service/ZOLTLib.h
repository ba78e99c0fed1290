#pragma once

#include <optional>
#include <string>

#include "crypto/RSAUtility.h"
#include "platform/Desktop.h"
#include "service/ServiceAnswer.h"
#include "service/ServiceEndpoint.h"
#include "util/CommonUtility.h"
#include "util/CurlTransport.h"

// The client of the registration service: the session state, the service addresses, the
// two envelope entry points by action name, the system configuration and the session
// operations. One instance lives as long as the application.
class ZOLTLib {
  public:
    ZOLTLib(Desktop& desktop, ServiceEndpoint endpoint,
            HttpLimits limits = HttpLimits::serviceCall());

    // --- Session state (absent until set; absent and empty are different) ---
    std::optional<std::string> getSessionId() const { return httpSessionId_; }
    void setSessionId(std::optional<std::string> value) { httpSessionId_ = std::move(value); }
    std::optional<std::string> getAesKey() const { return httpAesKey_; }
    void setAesKey(std::optional<std::string> value) { httpAesKey_ = std::move(value); }
    std::optional<std::string> getCn() const { return currentUserCn_; }
    void setCn(std::optional<std::string> value) { currentUserCn_ = std::move(value); }
    std::optional<std::string> getUserIdno() const { return currentUserIdno_; }
    void setUserIdno(std::optional<std::string> value) { currentUserIdno_ = std::move(value); }
    std::optional<std::string> getCurrentPfxFilePath() const { return currentPfxFilePath_; }
    void setCurrentPfxFilePath(std::optional<std::string> v) { currentPfxFilePath_ = std::move(v); }
    std::optional<std::string> getCurrentPfxFilePwd() const { return currentPfxFilePwd_; }
    void setCurrentPfxFilePwd(std::optional<std::string> v) { currentPfxFilePwd_ = std::move(v); }
    std::optional<StringMap> getSvrCfg() const { return svrCfg_; }
    void setSvrCfg(std::optional<StringMap> value) { svrCfg_ = std::move(value); }
    std::optional<std::string> getCustType() const { return custType_; }
    void setCustType(std::optional<std::string> value) { custType_ = std::move(value); }

    // --- Addresses and envelopes ---
    std::string getTargetUrl(const std::string& action) const;
    int httpPubKeyEncPost(const std::string& action, const StringMap& postParams,
                          std::optional<std::string>& dataOut) const;
    // 1, and nothing sent, without a session key of at least 16 bytes.
    int httpAesEncPost(const std::string& action, const StringMap& postParams,
                       std::optional<std::string>& dataOut) const;

    // --- System configuration (loaded from the service once it answers) ---
    std::optional<std::string> getSysCfg(const std::string& key);
    void setSysCfg(const std::string& key, const std::string& cfgValue);
    std::string getErrMsg(int code) const;

    // --- Session operations ---
    int versionCheck(std::string& errMsg);
    int login(const std::string& idno, const std::string& pwd, std::string& errMsg);
    int logout(const std::string& idno);
    int getFnStatus(const std::string& cn, std::string& fnStatus, int& certCount,
                    int& effectCertCount, std::string& errMsg);
    int iAmAlive();
    // The installer of a newer client in the download folder, under the name its address
    // gives; "" when it failed.
    std::string dlNewClient();
    // The last segment of the address's path, percent-decoded, when it is a plain visible file
    // name; else the application's name with ".pkg".
    static std::string installerName(const std::string& url);

    // --- Certificate operations ---
    int applyCert(const std::string& cn, std::string& b64PrivateKey, std::string& b64Cert,
                  StringMap& certInfo, std::string& errMsg);
    int renewCert(const std::string& cn, const std::string& pfxFilePath,
                  const std::string& pfxFilePwd, std::string& b64Cert, StringMap& certInfo,
                  std::string& errMsg);
    // Without a key (nothing or "") the key comes from the private key cache.
    int exportCert(const std::string& b64Cert, const std::optional<std::string>& b64PrivateKey,
                   const std::string& pfxFilePath, const std::string& pfxFilePwd,
                   std::string& errMsg);
    int activeCert(int certId, const std::string& pfxFilePath, std::string& errMsg);
    // 0 whenever the exchange took place; a refusal shows as an unwritten record.
    int qrySvrCertInfo(const std::string& cn, StringMap& certInfo, std::string& errMsg);
    int qryClntCertInfo(const std::string& cn, const std::string& pfxFilePath,
                        const std::string& pfxFilePwd, StringMap& certInfo, std::string& errMsg);
    // The file's certificate information when it matches every criterion given (absent or
    // empty ones are skipped): hash, common name, serial, then issuer by attributes.
    std::optional<StringMap> getClientCertInfo(const std::string& pfxFilePath,
                                               const std::string& pfxFilePwd,
                                               const std::optional<std::string>& cn,
                                               const std::optional<std::string>& issuser,
                                               const std::optional<std::string>& hexSerial,
                                               const std::optional<std::string>& certHash);
    std::optional<StringMap> getLastActiveCertInfo(const std::string& cn);

    // --- Browser deployment ---
    // The installed browsers with "selected" set from the configuration.
    std::vector<StringMap> getDefaultSelectedBrowserInfo();
    // Writes the deployment page and opens it in every browser of the list: from ~/.voxa, or
    // for a snap or Flatpak browser from the download folder.
    int deployCert(const std::string& pfxFilePath, const std::string& pfxFilePwd,
                   const std::vector<StringMap>& browserInfo);
    // The script statement that carries the certificate into the page.
    static std::string certificateBlock(const StringMap& certInfo, const std::string& b64P12Cert,
                                        const std::string& b64X509Cert);
    // The page: the template with every "#importCertInfo#" replaced by the block, literally.
    static std::string fillTemplate(const std::string& templateText, const std::string& block);

    // The default PFX path as it may be used: a visible file anywhere inside the home folder
    // (no part below it hidden, no link leading out of it), without control characters, once
    // "\\" is a separator and ".." resolved. Nothing otherwise, with the reason in `why`; the
    // save dialog then asks.
    static std::optional<std::string> confinedPfxPath(const std::string& path,
                                                      const std::string& home, std::string& why);

    // The leading decimal integer of a text, as the service's counts are read; 0 when none.
    static int leadingInt(const std::string& text);

    const CommonUtility& util() const { return util_; }
    RSAUtility rsa() const { return RSAUtility(util_, serviceKey_); }

  private:
    void loadSysCfg();
    // Reads the text an envelope returned; text of the first node of an XPath; leaves of it.
    ServiceAnswer read(const std::optional<std::string>& answer) const;
    std::string value(const ServiceAnswer& answer, const std::string& xPath) const;
    std::optional<StringMap> leaves(const ServiceAnswer& answer, const std::string& xPath) const;
    std::string requestBody(const std::string& csr) const;
    int readIssued(const ServiceAnswer& answer, int failure, std::string& b64Cert,
                   StringMap& certInfo, std::string& errMsg) const;
    int loginAttempt(const std::string& idno, const std::string& pwd, std::string& errMsg,
                     bool mayRedirect);
    bool isFutures() const { return custType_ == "FT"; }

    ServiceEndpoint endpoint_;
    CommonUtility util_;
    std::shared_ptr<EVP_PKEY> serviceKey_;  // read once: every enveloped value uses it
    std::optional<std::string> httpSessionId_;
    std::optional<std::string> httpAesKey_;
    std::optional<std::string> currentUserCn_;
    std::optional<std::string> currentUserIdno_;
    std::optional<std::string> currentPfxFilePath_;
    std::optional<std::string> currentPfxFilePwd_;
    std::optional<StringMap> svrCfg_;
    std::optional<std::string> custType_;
};
