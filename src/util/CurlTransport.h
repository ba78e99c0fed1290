#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "util/HttpExchange.h"

// Bounds on one exchange, so a dead or silent peer cannot hold the window for long and a
// runaway answer cannot fill memory.
struct HttpLimits {
    std::chrono::milliseconds connectTimeout;
    std::chrono::seconds stallTime;  // abort when less than one byte a second arrives this long
    std::chrono::milliseconds totalTimeout;
    std::size_t maxBodyBytes;

    static HttpLimits serviceCall();
    static HttpLimits download();
};

// The libcurl adapter: synchronous, https only, TLS verification always on. GET requests
// follow up to five redirects (https only); POST requests follow none. Copies share one kept
// connection, so consecutive calls to the same host skip the TCP and TLS handshakes; a call
// made while another one runs gets a connection of its own.
class CurlTransport {
  public:
    // `trustAnchorPem`: a CA certificate to trust instead of the system store; empty for the
    // system store.
    explicit CurlTransport(std::string trustAnchorPem = {},
                           HttpLimits serviceLimits = HttpLimits::serviceCall(),
                           HttpLimits downloadLimits = HttpLimits::download());

    HttpResponse operator()(const HttpRequest& request) const;

  private:
    struct KeptHandle;

    std::string trustAnchorPem_;
    HttpLimits serviceLimits_;
    HttpLimits downloadLimits_;
    std::shared_ptr<KeptHandle> kept_;
};
