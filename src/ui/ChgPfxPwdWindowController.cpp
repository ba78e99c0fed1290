#include "ui/ChgPfxPwdWindowController.h"

#include "crypto/CryptoResult.h"
#include "crypto/RSAUtility.h"
#include "service/ErrorMessages.h"
#include "ui/DialogHost.h"
#include "ui/PfxFailureSentence.h"
#include "util/CommonUtility.h"

ChgPfxPwdWindowController::ChgPfxPwdWindowController(DialogHost& host, ChgPfxPwdWindowView& view,
                                                     const CommonUtility& util)
    : host_(host), view_(view), util_(util) {}

void ChgPfxPwdWindowController::windowDidLoad() {
    view_.setText(Field::lblPfxFilePath, pfxFilePath_);
    clearPasswords();
    view_.setText(Field::lblPwdRulePrompt, rules_.promptMsg.value_or(""));
}

void ChgPfxPwdWindowController::btnBrowseFileOnClick() {
    if (ended_) return;
    auto chosen = host_.choosePfxFile(view_.text(Field::lblPfxFilePath));
    if (!chosen) return;
    pfxFilePath_ = *chosen;
    view_.setText(Field::lblPfxFilePath, pfxFilePath_);
}

std::optional<std::string> ChgPfxPwdWindowController::tryChange(const std::string& oldPwd,
                                                                const std::string& newPwd,
                                                                const std::string& confirmation,
                                                                std::string& notice) const {
    if (pfxFilePath_.empty()) return ui_text::kChgPathMissing;
    if (newPwd != confirmation) return ui_text::kNewPwdConfirmDiffers;
    // A file re-protected by an empty password would hand the key to whoever copies it;
    // the save dialog never writes one either.
    if (newPwd.empty()) return ui_text::kPwdEmpty;
    if (auto violation = rules_.firstViolation(util_, newPwd)) return violation;
    const int rc = RSAUtility(util_).changePwd(pfxFilePath_, oldPwd, newPwd);
    // The file is re-protected even when the new password could not be recorded: the change
    // stands, and the customer must learn that the next start will ask for it.
    if (rc == crypto_result::kPfxPasswordNotRecorded) {
        notice = ErrorMessages::lookup(rc);
        return std::nullopt;
    }
    if (rc != 0) return withPfxWriteFailure(ui_text::kChgFailed, rc);
    return std::nullopt;
}

void ChgPfxPwdWindowController::btnOkOnClick() {
    if (ended_) return;
    const std::string newPwd = view_.text(Field::txtNewPwd);
    std::string notice;
    auto problem =
        tryChange(view_.text(Field::txtOldPwd), newPwd, view_.text(Field::txtNewPwdCfm), notice);
    if (problem) {
        host_.showError(*problem);
        clearPasswords();
        return;
    }
    if (!notice.empty()) host_.showError(notice);
    result_ = ChgPfxPwdWindowResult{pfxFilePath_, newPwd};
    util_.log(ui_text::kChgDoneLog);
    endSheet(kSheetConfirmed);
}

void ChgPfxPwdWindowController::btnCancelOnClick() {
    if (!ended_) endSheet(kSheetCancelled);
}

void ChgPfxPwdWindowController::clearPasswords() {
    view_.setText(Field::txtOldPwd, "");
    view_.setText(Field::txtNewPwd, "");
    view_.setText(Field::txtNewPwdCfm, "");
}

void ChgPfxPwdWindowController::endSheet(int sheetResult) {
    ended_ = true;
    // The window may outlive the sheet; the passwords must not stay in it.
    clearPasswords();
    host_.endSheet(sheetResult);
}
