#pragma once

#include <optional>
#include <string>
#include <utility>

#include "ui/DialogResults.h"
#include "ui/LoadPfxWindowView.h"
#include "util/Types.h"

class CommonUtility;
class DialogHost;

// The load-PFX dialog: the customer points at an existing PFX file and gives its password;
// the dialog opens it, makes sure it holds the expected certificate and hands its result to
// the opener. Created afresh for each opening.
class LoadPfxWindowController {
  public:
    LoadPfxWindowController(DialogHost& host, LoadPfxWindowView& view, const CommonUtility& util);

    // Inputs, set before windowDidLoad. An expected value that is absent or "" is not
    // compared; only the issuer is compared as a distinguished name.
    const std::optional<std::string>& pfxFilePath() const { return pfxFilePath_; }
    void setPfxFilePath(std::optional<std::string> path) { pfxFilePath_ = std::move(path); }
    const std::optional<std::string>& cnToCmp() const { return cnToCmp_; }
    void setCnToCmp(std::optional<std::string> cn) { cnToCmp_ = std::move(cn); }
    const std::optional<std::string>& issuerToCmp() const { return issuerToCmp_; }
    void setIssuerToCmp(std::optional<std::string> dn) { issuerToCmp_ = std::move(dn); }
    const std::optional<std::string>& hexSerialToCmp() const { return hexSerialToCmp_; }
    void setHexSerialToCmp(std::optional<std::string> hex) { hexSerialToCmp_ = std::move(hex); }
    const std::optional<std::string>& certHashToCmp() const { return certHashToCmp_; }
    void setCertHashToCmp(std::optional<std::string> hex) { certHashToCmp_ = std::move(hex); }

    // Set once the dialog is confirmed, just before its sheet ends.
    const std::optional<LoadPfxWindowResult>& result() const { return result_; }

    // Once, when the window exists.
    void windowDidLoad();
    // Whether windowDidLoad ran: a workflow that opened the dialog leaves its next step to
    // the dialog's completion then.
    bool isWindowLoaded() const { return loaded_; }
    void btnBrowseFileOnClick();
    void btnOkOnClick();
    void btnCancelOnClick();

  private:
    using Field = LoadPfxWindowView::Field;

    std::optional<std::string> firstProblem(const std::string& pwd, StringMap& certInfo) const;
    void endSheet(int sheetResult);

    std::optional<LoadPfxWindowResult> result_;
    DialogHost& host_;
    LoadPfxWindowView& view_;
    const CommonUtility& util_;
    std::optional<std::string> pfxFilePath_;
    std::optional<std::string> cnToCmp_;
    std::optional<std::string> issuerToCmp_;
    std::optional<std::string> hexSerialToCmp_;
    std::optional<std::string> certHashToCmp_;
    bool loaded_ = false;
    bool ended_ = false;
};
