#pragma once

#include <optional>
#include <string>
#include <utility>

#include "ui/ChgPfxPwdWindowView.h"
#include "ui/DialogResults.h"
#include "ui/PfxPasswordRules.h"

class CommonUtility;
class DialogHost;

// The change-password dialog: the customer gives a PFX file's current password and a new one
// twice; the dialog checks the new one against the PFX password rules, re-protects the file
// and hands its result to the opener. Created afresh for each opening.
class ChgPfxPwdWindowController {
  public:
    ChgPfxPwdWindowController(DialogHost& host, ChgPfxPwdWindowView& view,
                              const CommonUtility& util);

    // Inputs, set before windowDidLoad. The field, not the label, names the file OK changes.
    const PfxPasswordRules& rules() const { return rules_; }
    void setRules(PfxPasswordRules rules) { rules_ = std::move(rules); }
    const std::string& pfxFilePath() const { return pfxFilePath_; }
    void setPfxFilePath(std::string path) { pfxFilePath_ = std::move(path); }

    // Set once the dialog is confirmed, just before its sheet ends.
    const std::optional<ChgPfxPwdWindowResult>& result() const { return result_; }

    // Once, when the window exists: shows the file and the prompt, empties the passwords.
    void windowDidLoad();
    void btnBrowseFileOnClick();
    void btnOkOnClick();
    void btnCancelOnClick();

  private:
    using Field = ChgPfxPwdWindowView::Field;

    // Checks the new password and re-protects the file; the message of the first failure.
    // `notice`: what the customer must know although the change stands.
    std::optional<std::string> tryChange(const std::string& oldPwd, const std::string& newPwd,
                                         const std::string& confirmation,
                                         std::string& notice) const;
    void clearPasswords();
    void endSheet(int sheetResult);

    std::optional<ChgPfxPwdWindowResult> result_;
    DialogHost& host_;
    ChgPfxPwdWindowView& view_;
    const CommonUtility& util_;
    PfxPasswordRules rules_;
    std::string pfxFilePath_;
    bool ended_ = false;
};
