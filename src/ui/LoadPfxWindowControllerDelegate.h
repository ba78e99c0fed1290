#pragma once

#include <string>

#include "util/Types.h"

// Receives the outcome of a confirmed load-PFX dialog, just before its sheet ends.
class LoadPfxWindowControllerDelegate {
  public:
    virtual ~LoadPfxWindowControllerDelegate() = default;

    // The file opened with the password and holds the expected certificate, described by
    // `certInfo` (the certificate information dictionary of RSAUtility::getCertInfo).
    virtual void getLoadPfxWindowData(const std::string& pfxFilePath, const std::string& pfxFilePwd,
                                      const StringMap& certInfo) = 0;
};
