#pragma once

#include <string>

// The widgets of the load-PFX window that the dialog reads and writes.
class LoadPfxWindowView {
  public:
    enum class Field { lblPfxFilePath, txtPfxFilePwd };

    virtual ~LoadPfxWindowView() = default;
    virtual std::string text(Field field) const = 0;
    virtual void setText(Field field, const std::string& text) = 0;
};
