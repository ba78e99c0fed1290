#include "app/AppTexts.h"
#include "app/ViewController.h"
#include "service/ZOLTLib.h"

void ViewController::doAlert(const std::string& text) {
    doAlert(app_text::kInfoTitle, text);
}

void ViewController::doAlert(const std::string& title, const std::string& text) {
    runAlert({title, text, {app_text::kOk}});
}

bool ViewController::doConfirm(const std::string& text) {
    return doConfirm(app_text::kConfirmTitle, text);
}

bool ViewController::doConfirm(const std::string& title, const std::string& text) {
    return runAlert({title, text, {app_text::kOk, app_text::kCancel}}) == 1000;
}

void ViewController::showErrMsg(int code) {
    if (code == 0) return;
    std::string message = getZOLTlib().getErrMsg(code);
    if (message == std::to_string(code)) message = app_text::fill(app_text::kUnknownError, message);
    doAlert(message);
}

void ViewController::showErrMsg(int code, const std::string& errMsg2) {
    if (errMsg2.empty()) {
        showErrMsg(code);
    } else {
        doAlert(errMsg2);
    }
}
