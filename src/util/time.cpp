#include <unicode/smpdtfmt.h>

#include "util/CommonUtility.h"

std::string CommonUtility::getCurrentTimeStr(const std::string& format) const {
    UErrorCode status = U_ZERO_ERROR;
    // The POSIX locale keeps digits ASCII whatever the user's locale is.
    icu::SimpleDateFormat formatter(
        icu::UnicodeString::fromUTF8(icu::StringPiece(format.data(), format.size())),
        icu::Locale("en_US_POSIX"), status);
    if (U_FAILURE(status)) return "";
    icu::UnicodeString text;
    formatter.format(icu::Calendar::getNow(), text, status);
    if (U_FAILURE(status)) return "";
    std::string out;
    text.toUTF8String(out);
    return out;
}
