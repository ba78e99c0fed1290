#pragma once

#include <string>

// The widgets of the change-password window that the dialog reads and writes.
class ChgPfxPwdWindowView {
  public:
    enum class Field { lblPfxFilePath, lblPwdRulePrompt, txtOldPwd, txtNewPwd, txtNewPwdCfm };

    virtual ~ChgPfxPwdWindowView() = default;
    virtual std::string text(Field field) const = 0;
    virtual void setText(Field field, const std::string& text) = 0;
};
