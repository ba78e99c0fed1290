#pragma once

#include <string>

// Receives the outcome of a confirmed change-password dialog, just before its sheet ends.
class ChgPfxPwdWindowControllerDelegate {
  public:
    virtual ~ChgPfxPwdWindowControllerDelegate() = default;

    // The file is now protected by `pfxFilePwd`.
    virtual void getChgPwdWindowData(const std::string& pfxFilePath,
                                     const std::string& pfxFilePwd) = 0;
};
