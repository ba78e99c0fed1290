#include "ui/DepCertWindowController.h"

#include <optional>

#include "platform/BundleIds.h"
#include "ui/DialogHost.h"
#include "ui/UiTexts.h"

namespace {

using Button = DepCertWindowView::Button;

// The fixed association, in the order the result lists the browsers.
const std::pair<Button, const char*> kBrowserButtons[] = {
    {Button::imgBtnSafari, bundle_id::kSafari},
    {Button::imgBtnChrome, bundle_id::kChrome},
    {Button::imgBtnFireFox, bundle_id::kFirefox},
};

std::string entry(const StringMap& record, const char* key) {
    auto found = record.find(key);
    return found == record.end() ? std::string() : found->second;
}

std::optional<Button> buttonFor(const std::string& bundleId) {
    for (const auto& [button, id] : kBrowserButtons) {
        if (bundleId == id) return button;
    }
    return std::nullopt;
}

}  // namespace

DepCertWindowController::DepCertWindowController(DialogHost& host, DepCertWindowView& view)
    : host_(host), view_(view) {}

void DepCertWindowController::windowDidLoad() {
    showBrowserImgButton();
    std::string names;
    for (const auto& name : directImport_) names += (names.empty() ? "" : "、") + name;
    view_.setDirectImportNote(names.empty() ? "" : ui_text::kDirectImportNote + names);
}

void DepCertWindowController::showBrowserImgButton() {
    for (const auto& [button, id] : kBrowserButtons) {
        state(button).shown = false;
        view_.hideBrowserButton(button);
        select(button, false);
    }
    for (const auto& record : browsersInfo_) {
        auto button = buttonFor(entry(record, "bundleId"));
        if (!button) continue;
        state(*button).shown = true;
        view_.showBrowserButton(*button, entry(record, "path"), entry(record, "name"));
        if (entry(record, "selected") == "Y") select(*button, true);
    }
}

void DepCertWindowController::imgBtnOnClick(Button button) {
    if (ended_ || !state(button).shown) return;
    if (selectMode_ == "M") {
        select(button, !state(button).selected);
    } else if (selectMode_ == "S") {
        for (const auto& [other, id] : kBrowserButtons) {
            if (state(other).shown) select(other, false);
        }
        select(button, true);
    }
}

void DepCertWindowController::btnOkOnClick() {
    if (ended_) return;
    std::vector<StringMap> chosen;
    for (const auto& [button, id] : kBrowserButtons) {
        if (!state(button).selected) continue;
        for (const auto& record : browsersInfo_) {
            if (entry(record, "bundleId") == id) chosen.push_back(record);
        }
    }
    if (chosen.empty()) {
        host_.showError(ui_text::kNoBrowserSelected);
        return;
    }
    result_ = DepCertWindowResult{chosen};
    endSheet(kSheetConfirmed);
}

void DepCertWindowController::btnCancelOnClick() {
    if (!ended_) endSheet(kSheetCancelled);
}

void DepCertWindowController::select(Button button, bool selected) {
    state(button).selected = selected;
    view_.setBrowserButtonSelected(button, selected);
}

void DepCertWindowController::endSheet(int sheetResult) {
    ended_ = true;
    host_.endSheet(sheetResult);
}
