#include "ui/PfxPasswordRules.h"

#include <cstddef>

#include "service/ZOLTLib.h"
#include "ui/UiTexts.h"
#include "util/CommonUtility.h"

namespace {

std::optional<std::string> lookup(const StringMap& cfg, const char* key) {
    auto found = cfg.find(key);
    if (found == cfg.end()) return std::nullopt;
    return found->second;
}

bool flag(const StringMap& cfg, const char* key) {
    return lookup(cfg, key) == "Y";
}

// The service sets its length bounds in UTF-16 code units: a character outside the
// basic plane counts twice.
std::size_t utf16Length(const std::string& text) {
    std::size_t units = 0;
    for (unsigned char byte : text) {
        if ((byte & 0xC0) != 0x80) ++units;
        if (byte >= 0xF0) ++units;
    }
    return units;
}

}  // namespace

PfxPasswordRules PfxPasswordRules::fromConfig(const StringMap& svrCfg) {
    PfxPasswordRules rules;
    rules.pfxPwdMinLen = ZOLTLib::leadingInt(lookup(svrCfg, "pfx.pwd.minLen").value_or(""));
    rules.pfxPwdMaxLen = ZOLTLib::leadingInt(lookup(svrCfg, "pfx.pwd.maxLen").value_or(""));
    rules.pfxPwdDigit = flag(svrCfg, "pfx.pwd.digit");
    rules.pfxPwdUCAlpha = flag(svrCfg, "pfx.pwd.UCAlpha");
    // The service spells this key without the final "a".
    rules.pfxPwdLCAlpha = flag(svrCfg, "pfx.pwd.LCAlph");
    rules.pfxPwdPunctuation = flag(svrCfg, "pfx.pwd.punctuation");
    rules.promptMsg = lookup(svrCfg, "pfx.pwd.prompt");
    return rules;
}

std::optional<std::string> PfxPasswordRules::firstViolation(const CommonUtility& util,
                                                            const std::string& password) const {
    const std::size_t length = utf16Length(password);
    if (pfxPwdMinLen > 0 && length < static_cast<std::size_t>(pfxPwdMinLen)) {
        return ui_text::kPwdTooShort;
    }
    if (pfxPwdMaxLen > 0 && length > static_cast<std::size_t>(pfxPwdMaxLen)) {
        return ui_text::kPwdTooLong;
    }
    // ASCII classes only: a letter with a diacritic or a Chinese character is "other".
    const struct {
        bool on;
        const char* pattern;
        const char* message;
    } classes[] = {
        {pfxPwdDigit, "^.*[0-9]+.*$", ui_text::kPwdNeedsDigit},
        {pfxPwdUCAlpha, "^.*[A-Z]+.*$", ui_text::kPwdNeedsUpper},
        {pfxPwdLCAlpha, "^.*[a-z]+.*$", ui_text::kPwdNeedsLower},
        {pfxPwdPunctuation, "^.*[^0-9a-zA-Z]+.*$", ui_text::kPwdNeedsSymbol},
    };
    for (const auto& rule : classes) {
        if (rule.on && !util.regexMatch(password, rule.pattern)) return rule.message;
    }
    return std::nullopt;
}
