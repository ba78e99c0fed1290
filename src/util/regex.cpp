#include <unicode/regex.h>
#include <unicode/unistr.h>

#include <memory>

#include "util/CommonUtility.h"

namespace {

icu::UnicodeString fromUtf8(const std::string& text) {
    return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), text.size()));
}

}  // namespace

std::string CommonUtility::regexReplace(const std::string& text, const std::string& pattern,
                                        const std::string& replacement) const {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexPattern> compiled(
        icu::RegexPattern::compile(fromUtf8(pattern), UREGEX_DOTALL, status));
    if (U_FAILURE(status) || !compiled) return "";
    // The matcher reads the subject in place: it must outlive the matcher.
    const icu::UnicodeString subject = fromUtf8(text);
    std::unique_ptr<icu::RegexMatcher> matcher(compiled->matcher(subject, status));
    if (U_FAILURE(status) || !matcher) return "";
    icu::UnicodeString result = matcher->replaceAll(fromUtf8(replacement), status);
    if (U_FAILURE(status)) return "";
    std::string out;
    result.toUTF8String(out);
    return out;
}

bool CommonUtility::regexMatch(const std::string& text, const std::string& pattern) const {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexPattern> compiled(
        icu::RegexPattern::compile(fromUtf8(pattern), 0, status));
    if (U_FAILURE(status) || !compiled) return false;
    const icu::UnicodeString subject = fromUtf8(text);
    std::unique_ptr<icu::RegexMatcher> matcher(compiled->matcher(subject, status));
    if (U_FAILURE(status) || !matcher) return false;
    bool whole = matcher->matches(status);
    return U_SUCCESS(status) && whole;
}
