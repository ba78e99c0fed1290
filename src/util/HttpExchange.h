#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "util/Types.h"

// One HTTP exchange as the client sees it. CommonUtility builds the request; whatever
// carries it (libcurl in the product, a recorder in tests) fills in the response.
struct HttpRequest {
    enum class Kind { ServiceCall, Download };

    std::string method;  // "POST" or "GET"
    std::string url;
    std::vector<std::string> headers;  // "Name: value"
    std::optional<Bytes> body;
    Kind kind = Kind::ServiceCall;  // downloads get larger limits than service answers
};

struct HttpResponse {
    std::optional<Bytes> body;  // nothing when no answer arrived or it was refused
    long status = 0;            // 0 when there was no HTTP answer
    std::string error;          // why there was no body; for the log
};

using HttpExchange = std::function<HttpResponse(const HttpRequest&)>;
