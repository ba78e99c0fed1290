#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/DepCertWindowView.h"
#include "ui/DialogResults.h"
#include "util/Types.h"

class DialogHost;

// The browser-selection dialog: the customer picks the browsers a certificate is deployed
// into. In mode "M" any number may be selected, in mode "S" exactly one; in any other mode
// the initial selection stands. Created afresh for each opening.
class DepCertWindowController {
  public:
    DepCertWindowController(DialogHost& host, DepCertWindowView& view);

    // Inputs, set before windowDidLoad: the configured mode and the installed browsers, each
    // record's "selected" ("Y") telling whether it starts selected.
    const std::string& selectMode() const { return selectMode_; }
    void setSelectMode(std::string mode) { selectMode_ = std::move(mode); }
    const std::vector<StringMap>& browsersInfo() const { return browsersInfo_; }
    void setBrowsersInfo(std::vector<StringMap> info) { browsersInfo_ = std::move(info); }

    // Display names of the browsers whose stores also get a direct import.
    const std::vector<std::string>& directImportBrowsers() const { return directImport_; }
    void setDirectImportBrowsers(std::vector<std::string> names) {
        directImport_ = std::move(names);
    }

    // Set once the dialog is confirmed, just before its sheet ends.
    const std::optional<DepCertWindowResult>& result() const { return result_; }

    // Once, when the window exists: lays out the buttons and the direct-import note.
    void windowDidLoad();
    void showBrowserImgButton();
    void imgBtnOnClick(DepCertWindowView::Button button);
    void btnOkOnClick();
    void btnCancelOnClick();

  private:
    using Button = DepCertWindowView::Button;
    struct ButtonState {
        bool shown = false;
        bool selected = false;
    };

    ButtonState& state(Button button) { return buttons_[static_cast<std::size_t>(button)]; }
    void select(Button button, bool selected);
    void endSheet(int sheetResult);

    std::optional<DepCertWindowResult> result_;
    DialogHost& host_;
    DepCertWindowView& view_;
    std::string selectMode_;
    std::vector<StringMap> browsersInfo_;
    std::vector<std::string> directImport_;
    std::array<ButtonState, 3> buttons_{};
    bool ended_ = false;
};
