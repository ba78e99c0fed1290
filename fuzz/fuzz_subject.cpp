// Subject and issuer strings, as the service and the certificate write them: two strings
// separated by the first 0 byte (the second is the first when there is none). Parsing must
// end quickly; comparison is symmetric and a name with attributes equals itself. Short UTF-8
// inputs are also parsed by the pattern this parser replaces, which must agree with it.
#include "FuzzDesktop.h"
#include "crypto/RSAUtility.h"
#include "util/TextCodec.h"

namespace {

const char* kSubjectPair = "^(\\s*(.+)\\s*,\\s*)?([a-zA-Z]+)\\s*=\\s*([^=]+)\\s*$";

std::string trim(const std::string& text) {
    const char* blanks = " \t\n\r\f\v";
    auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The former parser, pass by pass with the ICU pattern (quadratic on long runs of blanks).
std::optional<StringMap> byPattern(const CommonUtility& util, const std::string& subject) {
    if (subject.empty()) return std::nullopt;
    StringMap parsed;
    std::string remaining = trim(subject);
    while (!remaining.empty()) {
        if (!util.regexMatch(remaining, kSubjectPair)) return std::nullopt;
        parsed[util.regexReplace(remaining, kSubjectPair, "$3")] =
            util.regexReplace(remaining, kSubjectPair, "$4");
        remaining = trim(util.regexReplace(remaining, kSubjectPair, "$2"));
    }
    return parsed;
}

// Line terminators, where the former parser's two pattern uses (with and without DOTALL)
// disagreed with each other; ICU's "." stops at them without DOTALL.
bool hasLineTerminator(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x0a && c <= 0x0d) return true;
        if (text.compare(i, 2, "\xc2\x85") == 0 || text.compare(i, 3, "\xe2\x80\xa8") == 0 ||
            text.compare(i, 3, "\xe2\x80\xa9") == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CommonUtility util(fuzz::desktop(), nullptr);
    RSAUtility rsa(util);
    const std::string input(reinterpret_cast<const char*>(data), size);
    const auto zero = input.find('\0');
    const std::string first = input.substr(0, zero);
    const std::string second = zero == std::string::npos ? first : input.substr(zero + 1);

    const auto parsed = rsa.parseSubject(first);
    rsa.parseSubject(second);
    if (rsa.cmpSubject(first, second) != rsa.cmpSubject(second, first)) {
        fuzz::fail("comparison is not symmetric");
    }
    if (parsed && !parsed->empty() && !rsa.cmpSubject(first, first)) {
        fuzz::fail("a name differs from itself");
    }
    // The pattern saw UTF-8 through ICU, which reads invalid bytes as U+FFFD; subjects are
    // always valid UTF-8 (certificate fields and answers are converted to it).
    if (first.size() <= 256 && TextCodec::isValidUtf8(first) && !hasLineTerminator(first) &&
        byPattern(util, first) != parsed) {
        fuzz::fail("the parser and the pattern disagree");
    }
    return 0;
}
