#include "ui/UserAgreementWindowController.h"

#include "ui/DialogHost.h"
#include "ui/UserAgreementWindowView.h"

UserAgreementWindowController::UserAgreementWindowController(DialogHost& host,
                                                             UserAgreementWindowView& view)
    : host_(host), view_(view) {}

void UserAgreementWindowController::windowDidLoad() {
    view_.loadAgreementPage(ui_text::kUserAgreementResource, ui_text::kUserAgreementType);
    view_.setAgreeChecked(false);
    view_.setNextStepEnabled(false);
}

void UserAgreementWindowController::chkUserAgreeOnClick() {
    view_.setNextStepEnabled(view_.isAgreeChecked());
}

void UserAgreementWindowController::btnNextStepOnClick() {
    // Next is disabled while the box is clear, but an agreement must never be assumed.
    if (!ended_ && view_.isAgreeChecked()) endSheet(kSheetConfirmed);
}

void UserAgreementWindowController::btnCancelOnClick() {
    if (!ended_) endSheet(kSheetCancelled);
}

void UserAgreementWindowController::endSheet(int sheetResult) {
    ended_ = true;
    host_.endSheet(sheetResult);
}
