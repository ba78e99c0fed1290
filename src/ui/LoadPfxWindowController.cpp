#include "ui/LoadPfxWindowController.h"

#include "crypto/CryptoResult.h"
#include "crypto/RSAUtility.h"
#include "ui/DialogHost.h"
#include "ui/PfxFailureSentence.h"
#include "util/CommonUtility.h"

namespace {

bool given(const std::optional<std::string>& expected) {
    return expected && !expected->empty();
}

std::string entry(const StringMap& certInfo, const char* key) {
    auto found = certInfo.find(key);
    return found == certInfo.end() ? std::string() : found->second;
}

}  // namespace

LoadPfxWindowController::LoadPfxWindowController(DialogHost& host, LoadPfxWindowView& view,
                                                 const CommonUtility& util)
    : host_(host), view_(view), util_(util) {}

void LoadPfxWindowController::windowDidLoad() {
    loaded_ = true;
    if (!pfxFilePath_ || pfxFilePath_->empty()) pfxFilePath_ = util_.getUserHomePath();
    view_.setText(Field::lblPfxFilePath, *pfxFilePath_);
}

void LoadPfxWindowController::btnBrowseFileOnClick() {
    if (ended_) return;
    auto chosen = host_.choosePfxFile(view_.text(Field::lblPfxFilePath));
    if (!chosen) return;
    pfxFilePath_ = *chosen;
    view_.setText(Field::lblPfxFilePath, *pfxFilePath_);
}

std::optional<std::string> LoadPfxWindowController::firstProblem(const std::string& pwd,
                                                                 StringMap& certInfo) const {
    if (pfxFilePath_->empty()) return ui_text::kLoadPathMissing;
    const RSAUtility rsa(util_);
    // One opening tells a wrong password from a file that is no PFX at all.
    const int opened = rsa.loadPfx(*pfxFilePath_, pwd, certInfo);
    if (opened != crypto_result::kOk) {
        const char* message = opened == crypto_result::kPfxWrongPassword ? ui_text::kLoadWrongPwd
                                                                         : ui_text::kLoadNotPfx;
        return withPfxFailure(message, rsa.diagnosePfx(*pfxFilePath_, pwd));
    }
    // A file that is not the expected one holds another customer's certificate when its user
    // ID is not the expected one's; otherwise another certificate of the same customer.
    const PfxFailure other = given(cnToCmp_) && rsa.getCertUserIdFromCn(entry(certInfo, "cn")) !=
                                                    rsa.getCertUserIdFromCn(*cnToCmp_)
                                 ? PfxFailure::OtherCustomer
                                 : PfxFailure::OtherCertificate;
    const struct {
        const std::optional<std::string>& expected;
        const char* key;
        const char* message;
    } exact[] = {{certHashToCmp_, "certHash", ui_text::kLoadWrongHash},
                 {cnToCmp_, "cn", ui_text::kLoadWrongCn},
                 {hexSerialToCmp_, "serial", ui_text::kLoadWrongSerial}};
    for (const auto& check : exact) {
        if (given(check.expected) && entry(certInfo, check.key) != *check.expected) {
            return withPfxFailure(check.message, other);
        }
    }
    if (given(issuerToCmp_) && !rsa.cmpSubject(entry(certInfo, "issuer"), *issuerToCmp_)) {
        return withPfxFailure(ui_text::kLoadWrongIssuer, other);
    }
    return std::nullopt;
}

void LoadPfxWindowController::btnOkOnClick() {
    if (ended_) return;
    pfxFilePath_ = view_.text(Field::lblPfxFilePath);
    const std::string pwd = view_.text(Field::txtPfxFilePwd);
    StringMap certInfo;
    if (auto problem = firstProblem(pwd, certInfo)) {
        host_.showError(*problem);
        view_.setText(Field::txtPfxFilePwd, "");
        return;
    }
    result_ = LoadPfxWindowResult{*pfxFilePath_, pwd, certInfo};
    endSheet(kSheetConfirmed);
}

void LoadPfxWindowController::btnCancelOnClick() {
    if (!ended_) endSheet(kSheetCancelled);
}

void LoadPfxWindowController::endSheet(int sheetResult) {
    ended_ = true;
    // The window may outlive the sheet; the password must not stay in it.
    view_.setText(Field::txtPfxFilePwd, "");
    host_.endSheet(sheetResult);
}
