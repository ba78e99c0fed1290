#include "gui/QtSheets.h"

#include "gui/ChgPfxPwdWindow.h"
#include "gui/DepCertWindow.h"
#include "gui/LoadPfxWindow.h"
#include "gui/SavePfxWindow.h"
#include "gui/UserAgreementWindow.h"

QtSheets::QtSheets(QWidget& window, QtAlerts& alerts, MainLoopQueue& queue, const Desktop& desktop)
    : window_(window), alerts_(alerts), queue_(queue), desktop_(desktop) {}

template <class Window, class... Extra>
Window& QtSheets::replace(QPointer<Window>& last, Extra&... extra) {
    // Later, not now: the old window's controller may still be on the stack.
    if (last) last->deleteLater();
    last = new Window(window_, alerts_, queue_, extra...);
    return *last;
}

SheetWindow<SavePfxWindowView> QtSheets::makeSavePfxWindow() {
    SavePfxWindow& made = replace(savePfx_);
    return {made, made};
}

SheetWindow<LoadPfxWindowView> QtSheets::makeLoadPfxWindow() {
    LoadPfxWindow& made = replace(loadPfx_);
    return {made, made};
}

SheetWindow<ChgPfxPwdWindowView> QtSheets::makeChgPfxPwdWindow() {
    ChgPfxPwdWindow& made = replace(chgPfxPwd_);
    return {made, made};
}

SheetWindow<DepCertWindowView> QtSheets::makeDepCertWindow() {
    DepCertWindow& made = replace(depCert_, desktop_);
    return {made, made};
}

SheetWindow<UserAgreementWindowView> QtSheets::makeUserAgreementWindow() {
    UserAgreementWindow& made = replace(userAgreement_);
    return {made, made};
}

void QtSheets::beginSheet(SavePfxWindowController& controller, SheetDone done) {
    if (savePfx_) savePfx_->beginSheet(controller, std::move(done));
}

void QtSheets::beginSheet(LoadPfxWindowController& controller, SheetDone done) {
    if (loadPfx_) loadPfx_->beginSheet(controller, std::move(done));
}

void QtSheets::beginSheet(ChgPfxPwdWindowController& controller, SheetDone done) {
    if (chgPfxPwd_) chgPfxPwd_->beginSheet(controller, std::move(done));
}

void QtSheets::beginSheet(DepCertWindowController& controller, SheetDone done) {
    if (depCert_) depCert_->beginSheet(controller, std::move(done));
}

void QtSheets::beginSheet(UserAgreementWindowController& controller, SheetDone done) {
    if (userAgreement_) userAgreement_->beginSheet(controller, std::move(done));
}
