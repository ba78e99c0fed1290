#include "service/ZOLTLib.h"

#include "service/ErrorMessages.h"
#include "service/ServiceResult.h"

ZOLTLib::ZOLTLib(Desktop& desktop, ServiceEndpoint endpoint, HttpLimits limits)
    : endpoint_(std::move(endpoint)),
      util_(desktop, CurlTransport(endpoint_.trustAnchorPem, limits)),
      serviceKey_(RSAUtility::readServiceKey(endpoint_.publicKeyPem)) {}

std::string ZOLTLib::getTargetUrl(const std::string& action) const {
    const std::string base =
        "https://" + endpoint_.host + (isFutures() ? "/PLOVR_FT/api/" : "/PLOVR_STK/api/");
    if (httpSessionId_ && !httpSessionId_->empty()) {
        return base + "SID:" + *httpSessionId_ + "/" + action;
    }
    return base + action;
}

int ZOLTLib::httpPubKeyEncPost(const std::string& action, const StringMap& postParams,
                               std::optional<std::string>& dataOut) const {
    return rsa().httpPubKeyEncPost(getTargetUrl(action), postParams, dataOut);
}

int ZOLTLib::httpAesEncPost(const std::string& action, const StringMap& postParams,
                            std::optional<std::string>& dataOut) const {
    // A key shorter than the 16 bytes AES-128 takes is no session key: every value would go
    // out blank.
    if (!httpAesKey_ || httpAesKey_->size() < 16) return service_result::kNoSession;
    const Bytes key(httpAesKey_->begin(), httpAesKey_->end());
    return rsa().httpAesEncPost(getTargetUrl(action), key, postParams, dataOut);
}

ServiceAnswer ZOLTLib::read(const std::optional<std::string>& answer) const {
    ServiceAnswer read;
    read.doc = util_.getXmlDoc(answer, read.rtnCode, read.rtnMsg);
    return read;
}

std::string ZOLTLib::value(const ServiceAnswer& answer, const std::string& xPath) const {
    return util_.getXPathValue(answer.doc, xPath);
}

std::optional<StringMap> ZOLTLib::leaves(const ServiceAnswer& answer,
                                         const std::string& xPath) const {
    if (!answer.doc) return std::nullopt;
    return util_.xmlNodeToMap(answer.doc->firstNode(xPath));
}

std::string ZOLTLib::getErrMsg(int code) const {
    return ErrorMessages::lookup(code);
}

int ZOLTLib::leadingInt(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = std::min<long long>(value * 10 + (text[i] - '0'), 1LL << 31);
    }
    if (negative) value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}
