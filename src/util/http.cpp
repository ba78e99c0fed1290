#include <cctype>
#include <climits>

#include "util/CommonUtility.h"
#include "util/TextCodec.h"
#include "util/curlptr.h"

namespace {

const char* kContentType = "Content-Type: application/x-www-form-urlencoded; charset=UTF-8";

}  // namespace

// Everything but RFC 3986's unreserved characters is escaped, with upper-case digits.
std::string CommonUtility::urlEncode(std::string_view text) const {
    // A length of 0 would make libcurl measure the text up to a NUL.
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) return "";
    const CurlStringPtr escaped(
        curl_easy_escape(nullptr, text.data(), static_cast<int>(text.size())));
    return escaped ? escaped.get() : "";
}

std::string CommonUtility::getHttpSendData(const StringMap& dataSend) const {
    std::string form;
    for (const auto& [key, value] : dataSend) {
        if (!form.empty()) form += '&';
        form += key + "=";
        if (!value.empty()) form += urlEncode(value);
    }
    return form;
}

int CommonUtility::httpConnect(const std::string& url, const std::string& connectMethod,
                               const StringMap& dataSend,
                               std::optional<Bytes>& responseData) const {
    if (connectMethod != "POST" && connectMethod != "GET") return 1;
    const std::string form = getHttpSendData(dataSend);
    HttpRequest request;
    request.method = connectMethod;
    request.url = connectMethod == "GET" && !form.empty() ? url + "?" + form : url;
    request.headers = {kContentType};
    if (connectMethod == "POST" && !form.empty()) request.body = Bytes(form.begin(), form.end());

    HttpResponse response = exchange_(request);
    if (!response.body) {
        log("http " + connectMethod + " failed: " + response.error);
    } else if (response.status >= 400) {
        log("http " + connectMethod + " status=" + std::to_string(response.status));
    }
    responseData = std::move(response.body);
    return 0;
}

int CommonUtility::httpPost(const std::string& url, const StringMap& dataSend,
                            std::optional<std::string>& responseTxt) const {
    std::optional<Bytes> body;
    if (int rc = httpConnect(url, "POST", dataSend, body); rc != 0) return rc;
    responseTxt = body ? TextCodec::big5ToUtf8(*body) : std::nullopt;
    return 0;
}

int CommonUtility::httpGet(const std::string& url, const StringMap& dataSend,
                           std::optional<std::string>& responseTxt) const {
    std::optional<Bytes> body;
    if (int rc = httpConnect(url, "GET", dataSend, body); rc != 0) return rc;
    responseTxt = body ? TextCodec::big5ToUtf8(*body) : std::nullopt;
    return 0;
}

// The plain downloads (deployment page template, installer): an https address only, and a
// body only when the final answer, after the transport's redirects, was a success. An error
// or redirect page saved as the template or the installer would be reported as success.
std::optional<Bytes> CommonUtility::download(const std::string& url, HttpRequest::Kind kind) const {
    auto lower = url.substr(0, 8);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower != "https://") {
        log("download refused: not an https address");
        return std::nullopt;
    }
    HttpRequest request;
    request.method = "GET";
    request.url = url;
    request.kind = kind;
    HttpResponse response = exchange_(request);
    if (!response.body) {
        log("download failed: " + url + " " + response.error);
        return std::nullopt;
    }
    if (response.status < 200 || response.status > 299) {
        log("download failed: " + url + " status=" + std::to_string(response.status));
        return std::nullopt;
    }
    return std::move(response.body);
}

std::optional<Bytes> CommonUtility::httpDownload(const std::string& url) const {
    return download(url, HttpRequest::Kind::ServiceCall);  // a page: the smaller limits
}

bool CommonUtility::httpDownloadAsFile(const std::string& url, const std::string& filePath) const {
    auto body = download(url, HttpRequest::Kind::Download);
    if (!body || body->empty()) return false;
    return saveFile(filePath, *body);
}
