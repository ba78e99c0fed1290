#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ui/UiTexts.h"

// Sheet results: with kSheetConfirmed the dialog has already set its result.
inline constexpr int kSheetCancelled = 0;
inline constexpr int kSheetConfirmed = 1;

// A modal file chooser as a dialog asks for it. Files may always be chosen.
struct PathPanel {
    std::string title;
    std::string startPath;  // where the chooser opens: a file or a folder, possibly not existing
    bool foldersAllowed = false;
    std::vector<std::string> fileTypes;  // name extensions without the dot
};

// What a dialog needs from the window it is shown on: blocking alerts, file choosers and the
// end of its sheet. One instance per shown sheet; the opener learns the result from endSheet.
class DialogHost {
  public:
    virtual ~DialogHost() = default;

    // An application-modal alert; returns when its one button was pressed.
    virtual void showAlert(const std::string& title, const std::string& informativeText,
                           const std::string& button) = 0;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<std::string> choosePath(const PathPanel& panel) = 0;
    // Closes the sheet; called once per dialog.
    virtual void endSheet(int sheetResult) = 0;

    void showError(const std::string& message) {
        showAlert(ui_text::kErrorTitle, message, ui_text::kErrorButton);
    }
    // An existing PFX file, the chooser opening at `startPath`.
    std::optional<std::string> choosePfxFile(const std::string& startPath) {
        return choosePath({.title = ui_text::kLoadPfxPanelTitle,
                           .startPath = startPath,
                           .foldersAllowed = false,
                           .fileTypes = {ui_text::kPfxFileType}});
    }
};
