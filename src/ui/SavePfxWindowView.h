#pragma once

#include <string>

// The widgets of the save-PFX window. The path label is filled by the dialog and by the file
// chooser; the window need not let it be edited by hand.
class SavePfxWindowView {
  public:
    enum class Field { lblPfxFilePath, lblPromptMsg, txtPfxPwd, txtPfxPwdCfm };

    virtual ~SavePfxWindowView() = default;
    virtual std::string text(Field field) const = 0;
    virtual void setText(Field field, const std::string& text) = 0;
};
