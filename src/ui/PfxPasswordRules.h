#pragma once

#include <optional>
#include <string>

#include "util/Types.h"

class CommonUtility;

// The rules every new PFX password must pass, as the service configures them, and the prompt
// that tells the customer about them. The save and the change-password dialogs share them.
struct PfxPasswordRules {
    // From the configuration keys "pfx.pwd.*"; a flag is on only for exactly "Y", a length
    // that is missing or not a number imposes no bound.
    static PfxPasswordRules fromConfig(const StringMap& svrCfg);

    // The message of the first rule the password breaks, in the fixed order (lengths, then
    // digit, upper case, lower case, other character); nothing when it passes. Lengths count
    // UTF-16 code units.
    std::optional<std::string> firstViolation(const CommonUtility& util,
                                              const std::string& password) const;

    bool pfxPwdDigit = false;
    bool pfxPwdUCAlpha = false;
    bool pfxPwdLCAlpha = false;
    bool pfxPwdPunctuation = false;
    int pfxPwdMinLen = 0;  // 0 or less: no minimum
    int pfxPwdMaxLen = 0;  // 0 or less: no maximum
    std::optional<std::string> promptMsg;
};
