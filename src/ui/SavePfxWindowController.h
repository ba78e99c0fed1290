#pragma once

#include <optional>
#include <string>
#include <utility>

#include "ui/DialogResults.h"
#include "ui/PfxPasswordRules.h"
#include "ui/SavePfxWindowView.h"

class CommonUtility;
class DialogHost;

// The save-PFX dialog: the customer chooses where a newly issued certificate is written and
// the password that protects it; the dialog checks both, writes the file and hands its result to
// the opener. Created afresh for each opening.
class SavePfxWindowController {
  public:
    SavePfxWindowController(DialogHost& host, SavePfxWindowView& view, const CommonUtility& util);

    // Inputs, set before windowDidLoad. Without a private key (nothing or "") the key is
    // looked up in the private key cache.
    const PfxPasswordRules& rules() const { return rules_; }
    void setRules(PfxPasswordRules rules) { rules_ = std::move(rules); }
    const std::optional<std::string>& pfxFilePath() const { return pfxFilePath_; }
    void setPfxFilePath(std::optional<std::string> folder) { pfxFilePath_ = std::move(folder); }
    const std::optional<std::string>& pfxFileName() const { return pfxFileName_; }
    void setPfxFileName(std::optional<std::string> name) { pfxFileName_ = std::move(name); }
    const std::string& pfxFilePwd() const { return pfxFilePwd_; }
    void setPfxFilePwd(std::string password) { pfxFilePwd_ = std::move(password); }
    const std::string& b64Cert() const { return b64Cert_; }
    void setB64Cert(std::string cert) { b64Cert_ = std::move(cert); }
    const std::optional<std::string>& b64PrivateKey() const { return b64PrivateKey_; }
    void setB64PrivateKey(std::optional<std::string> key) { b64PrivateKey_ = std::move(key); }

    // Set once the dialog is confirmed, just before its sheet ends.
    const std::optional<SavePfxWindowResult>& result() const { return result_; }

    // Once, when the window exists: proposes the path and empties the password fields.
    void windowDidLoad();
    void btnBrowserFilePathOnClick();
    void btnOKOnClick();
    void btnCancelOnClick();

  private:
    using Field = SavePfxWindowView::Field;

    std::optional<std::string> firstProblem(const std::string& path, const std::string& pwd,
                                            const std::string& confirmation) const;
    void endSheet(int sheetResult);

    std::optional<SavePfxWindowResult> result_;
    DialogHost& host_;
    SavePfxWindowView& view_;
    const CommonUtility& util_;
    PfxPasswordRules rules_;
    std::optional<std::string> pfxFilePath_;
    std::optional<std::string> pfxFileName_;
    std::string pfxFilePwd_;
    std::string b64Cert_;
    std::optional<std::string> b64PrivateKey_;
    bool ended_ = false;
};
