#pragma once

#include <string>
#include <vector>

#include "util/Types.h"

// What a confirmed dialog hands to the workflow that opened it, with its sheet result.

// The file the save-PFX dialog wrote: its folder, its name and the password it chose.
struct SavePfxWindowResult {
    std::string pfxFilePath;
    std::string pfxFileName;
    std::string pfxFilePwd;
};

// The file the load-PFX dialog opened with the password; it holds the expected certificate,
// described by `certInfo` (the dictionary of RSAUtility::getCertInfo).
struct LoadPfxWindowResult {
    std::string pfxFilePath;
    std::string pfxFilePwd;
    StringMap certInfo;
};

// The file the change-password dialog re-protected and its new password.
struct ChgPfxPwdWindowResult {
    std::string pfxFilePath;
    std::string pfxFilePwd;
};

// The browsers chosen, in the order of the browser list.
struct DepCertWindowResult {
    std::vector<StringMap> browsersInfo;
};
