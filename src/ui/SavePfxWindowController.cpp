#include "ui/SavePfxWindowController.h"

#include <filesystem>

#include "crypto/RSAUtility.h"
#include "ui/DialogHost.h"
#include "ui/PfxFailureSentence.h"
#include "util/CommonUtility.h"

namespace {

bool isBlank(const std::optional<std::string>& text) {
    return !text || text->find_first_not_of(" \t") == std::string::npos;
}

}  // namespace

SavePfxWindowController::SavePfxWindowController(DialogHost& host, SavePfxWindowView& view,
                                                 const CommonUtility& util)
    : host_(host), view_(view), util_(util) {}

void SavePfxWindowController::windowDidLoad() {
    if (isBlank(pfxFilePath_)) pfxFilePath_ = util_.getUserHomePath();
    if (isBlank(pfxFileName_)) pfxFileName_ = ui_text::kDefaultPfxFileName;
    view_.setText(Field::lblPfxFilePath, *pfxFilePath_ + "/" + *pfxFileName_);
    view_.setText(Field::txtPfxPwd, "");
    view_.setText(Field::txtPfxPwdCfm, "");
    view_.setText(Field::lblPromptMsg, rules_.promptMsg.value_or(""));
}

void SavePfxWindowController::btnBrowserFilePathOnClick() {
    if (ended_) return;
    auto chosen = host_.choosePath({.title = ui_text::kSavePfxPanelTitle,
                                    .startPath = view_.text(Field::lblPfxFilePath),
                                    .foldersAllowed = true,
                                    .fileTypes = {ui_text::kPfxFileType}});
    if (!chosen) return;
    std::error_code error;
    if (std::filesystem::is_directory(*chosen, error)) {
        view_.setText(Field::lblPfxFilePath, *chosen + "/" + pfxFileName_.value_or(""));
    } else {
        view_.setText(Field::lblPfxFilePath, *chosen);
    }
}

std::optional<std::string> SavePfxWindowController::firstProblem(
    const std::string& path, const std::string& pwd, const std::string& confirmation) const {
    if (path.empty()) return ui_text::kSavePathMissing;
    if (pwd.empty()) return ui_text::kPwdEmpty;
    if (pwd != confirmation) return ui_text::kPwdConfirmDiffers;
    return rules_.firstViolation(util_, pwd);
}

void SavePfxWindowController::btnOKOnClick() {
    if (ended_) return;
    const std::string path = view_.text(Field::lblPfxFilePath);
    const std::string pwd = view_.text(Field::txtPfxPwd);
    if (auto problem = firstProblem(path, pwd, view_.text(Field::txtPfxPwdCfm))) {
        host_.showError(*problem);
        return;
    }
    pfxFilePath_ = util_.getFolderNameFromFullPath(path);
    pfxFileName_ = util_.getFileNameFromFullPath(path);
    pfxFilePwd_ = pwd;
    const RSAUtility rsa(util_);
    const int saved = b64PrivateKey_ && !b64PrivateKey_->empty()
                          ? rsa.savePfxFile(b64Cert_, *b64PrivateKey_, path, pwd)
                          : rsa.savePfxFile(b64Cert_, path, pwd);
    if (saved != 0) {
        host_.showError(withPfxWriteFailure(ui_text::kSaveFailed, saved));
        return;
    }
    result_ = SavePfxWindowResult{*pfxFilePath_, *pfxFileName_, pfxFilePwd_};
    endSheet(kSheetConfirmed);
}

void SavePfxWindowController::btnCancelOnClick() {
    if (!ended_) endSheet(kSheetCancelled);
}

void SavePfxWindowController::endSheet(int sheetResult) {
    ended_ = true;
    // The window may outlive the sheet; the password must not stay in it.
    view_.setText(Field::txtPfxPwd, "");
    view_.setText(Field::txtPfxPwdCfm, "");
    host_.endSheet(sheetResult);
}
