#include "util/CurlTransport.h"

#include <mutex>

#include "util/curlptr.h"

namespace {

struct Sink {
    Bytes data;
    std::size_t cap = 0;
    bool overflow = false;
};

size_t collect(char* ptr, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const size_t n = size * count;
    if (sink->data.size() + n > sink->cap) {
        sink->overflow = true;
        return 0;  // makes libcurl abort the transfer
    }
    sink->data.insert(sink->data.end(), ptr, ptr + n);
    return n;
}

void initCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

// libcurl keeps a finished transfer's connection in its handle: the next transfer on that
// handle to the same host and with the same TLS settings reuses it, and a connection the
// server has closed in the meantime is replaced.
struct CurlTransport::KeptHandle {
    std::mutex busy;
    CurlEasyPtr handle;
};

HttpLimits HttpLimits::serviceCall() {
    return {std::chrono::seconds(10), std::chrono::seconds(30), std::chrono::seconds(90), 8u << 20};
}

HttpLimits HttpLimits::download() {
    return {std::chrono::seconds(10), std::chrono::seconds(60), std::chrono::minutes(30),
            std::size_t{1} << 30};
}

CurlTransport::CurlTransport(std::string trustAnchorPem, HttpLimits serviceLimits,
                             HttpLimits downloadLimits)
    : trustAnchorPem_(std::move(trustAnchorPem)),
      serviceLimits_(serviceLimits),
      downloadLimits_(downloadLimits),
      kept_(std::make_shared<KeptHandle>()) {}

HttpResponse CurlTransport::operator()(const HttpRequest& request) const {
    initCurlOnce();
    HttpResponse response;
    // A handle in use elsewhere is never shared: this call then gets one of its own.
    std::unique_lock kept(kept_->busy, std::try_to_lock);
    CurlEasyPtr own;
    if (!kept.owns_lock() || !kept_->handle) {
        own.reset(curl_easy_init());
        if (kept.owns_lock()) kept_->handle = std::move(own);
    }
    CURL* h = kept.owns_lock() ? kept_->handle.get() : own.get();
    if (h == nullptr) {
        response.error = "curl_easy_init failed";
        return response;
    }
    const HttpLimits& limits =
        request.kind == HttpRequest::Kind::Download ? downloadLimits_ : serviceLimits_;
    Sink sink;
    sink.cap = limits.maxBodyBytes;

    // Without any one of these the exchange would not be the https-only, verified one it
    // claims to be: a libcurl that refuses one gets no request at all.
    bool secured = curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "https") == CURLE_OK &&
                   curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK &&
                   curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK;
    if (secured && !trustAnchorPem_.empty()) {
        curl_blob blob{const_cast<char*>(trustAnchorPem_.data()), trustAnchorPem_.size(),
                       CURL_BLOB_COPY};
        secured = curl_easy_setopt(h, CURLOPT_CAINFO_BLOB, &blob) == CURLE_OK;
    }
    if (secured && request.method != "POST") {
        // A plain download may have moved: a few redirects are followed, to https only.
        secured = curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "https") == CURLE_OK;
        curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
    }
    if (!secured) {
        curl_easy_reset(h);
        response.error = "libcurl refused a TLS or protocol option";
        return response;
    }

    curl_easy_setopt(h, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(limits.connectTimeout.count()));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.totalTimeout.count()));
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limits.stallTime.count()));
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBodyBytes));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);

    // Only the caller's headers go out: libcurl's own Accept and Expect are switched off.
    curl_slist* raw = nullptr;
    for (const auto& header : request.headers) raw = curl_slist_append(raw, header.c_str());
    raw = curl_slist_append(raw, "Accept:");
    raw = curl_slist_append(raw, "Expect:");
    CurlSlistPtr headers(raw);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());

    if (request.method == "POST") {
        curl_easy_setopt(h, CURLOPT_POST, 1L);
        const char* data = request.body ? reinterpret_cast<const char*>(request.body->data()) : "";
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(request.body ? request.body->size() : 0));
        curl_easy_setopt(h, CURLOPT_POSTFIELDS, data);
    } else {
        curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    }

    CURLcode rc = curl_easy_perform(h);
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &response.status);
    // Back to the defaults, connections and TLS sessions kept: no option of this call, nor a
    // pointer into it, reaches the next one.
    curl_easy_reset(h);
    if (rc != CURLE_OK) {
        // A cut-off answer is no answer: half a ciphertext or half a file helps nobody.
        response.error = sink.overflow ? "answer larger than the limit" : curl_easy_strerror(rc);
        return response;
    }
    response.body = std::move(sink.data);
    return response;
}
