#pragma once

#include <string>

// Receives the outcome of a confirmed save-PFX dialog, just before its sheet ends.
class SavePfxWindowControllerDelegate {
  public:
    virtual ~SavePfxWindowControllerDelegate() = default;

    // The file is written: its folder, its name and the password that protects it.
    virtual void getSavePfxWindowData(const std::string& pfxFilePath,
                                      const std::string& pfxFileName,
                                      const std::string& pfxFilePwd) = 0;
};
