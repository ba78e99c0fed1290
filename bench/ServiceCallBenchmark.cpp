// Service calls against one stand-in instance: 20 logins with a function status each through
// one ZOLTLib, beside a bare libcurl replay of the same 41 requests; and one answer from the
// stand-in beside a canned answer from a server in this process.
#include <benchmark/benchmark.h>
#include <httplib.h>

#include <memory>
#include <thread>

#include "Paired.h"
#include "RatioReporter.h"
#include "RegsvcProcess.h"
#include "service/ZOLTLib.h"
#include "support/FakeDesktop.h"
#include "util/curlptr.h"

namespace {

constexpr int kLogins = 20;
const char* kId = "A123456789";
const char* kPwd = "demo1234";

struct Wire {
    std::string url;
    std::string body;
};

size_t collect(char* ptr, size_t size, size_t count, void* user) {
    static_cast<std::string*>(user)->append(ptr, size * count);
    return size * count;
}

// The stand-in, and the requests a ZOLTLib sends for the first login and its function status,
// recorded on the wire.
struct StandIn {
    RegsvcProcess service;
    ServiceEndpoint endpoint{"127.0.0.1:" + std::to_string(service.port()),
                             service.servicePublicKeyPem(), service.trustAnchorPem()};
    std::vector<Wire> sequence;  // doLogin, getSysCfg, getFnStatus, then doLogin, getFnStatus

    StandIn() {
        FakeDesktop desktop;
        std::vector<Wire> wire;
        CurlTransport transport(endpoint.trustAnchorPem);
        HttpExchange recorder = [&](const HttpRequest& rq) {
            wire.push_back({rq.url, rq.body ? std::string(rq.body->begin(), rq.body->end()) : ""});
            return transport(rq);
        };
        CommonUtility util(desktop, recorder);
        ZOLTLib lib(desktop, endpoint);
        std::string errMsg;
        lib.login(kId, kPwd, errMsg);
        RSAUtility rsa(util, endpoint.publicKeyPem);
        const std::string base = "https://" + endpoint.host + "/PLOVR_STK/api/";
        const std::string session = base + "SID:" + lib.getSessionId().value_or("") + "/";
        const std::string aesKey = lib.getAesKey().value_or("");
        std::optional<std::string> answer;
        rsa.httpPubKeyEncPost(base + "doLogin", {{"id", kId}, {"pwd", kPwd}}, answer);
        rsa.httpPubKeyEncPost(session + "getSysCfg", {{"version", "1.0"}}, answer);
        rsa.httpAesEncPost(session + "getFnStatus", Bytes(aesKey.begin(), aesKey.end()),
                           {{"cn", lib.getCn().value_or("")}}, answer);
        if (wire.size() != 3 || !answer) throw std::runtime_error("recording the requests failed");
        sequence = {wire[0], wire[1], wire[2]};
        for (int i = 1; i < kLogins; ++i) sequence.insert(sequence.end(), {wire[0], wire[2]});
    }
};

StandIn& standIn() {
    static StandIn s;
    return s;
}

// The options CurlTransport sets on every service call.
bool post(CURL* h, const Wire& wire, const std::string& caPem, curl_slist* headers) {
    std::string body;
    curl_blob ca{const_cast<char*>(caPem.data()), caPem.size(), CURL_BLOB_COPY};
    curl_easy_setopt(h, CURLOPT_URL, wire.url.c_str());
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CAINFO_BLOB, &ca);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(wire.body.size()));
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, wire.body.c_str());
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &body);
    long status = 0;
    const bool ok = curl_easy_perform(h) == CURLE_OK &&
                    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK;
    return ok && status == 200 && !body.empty();
}

CurlSlistPtr serviceHeaders() {
    curl_slist* raw = curl_slist_append(
        nullptr, "Content-Type: application/x-www-form-urlencoded; charset=UTF-8");
    raw = curl_slist_append(raw, "Accept:");
    return CurlSlistPtr(curl_slist_append(raw, "Expect:"));
}

bool zoltLibLogins(const StandIn& s, FakeDesktop& desktop) {
    ZOLTLib lib(desktop, s.endpoint);
    std::string errMsg, fnStatus;
    int certCount = 0, effectCertCount = 0;
    for (int i = 0; i < kLogins; ++i) {
        if (lib.login(kId, kPwd, errMsg) != 0 ||
            lib.getFnStatus(*lib.getCn(), fnStatus, certCount, effectCertCount, errMsg) != 0) {
            return false;
        }
    }
    return true;
}

bool replayFreshHandles(const StandIn& s, curl_slist* headers) {
    for (const auto& wire : s.sequence) {
        CurlEasyPtr h(curl_easy_init());
        if (!post(h.get(), wire, s.endpoint.trustAnchorPem, headers)) return false;
    }
    return true;
}

bool replayOneConnection(const StandIn& s, curl_slist* headers) {
    CurlEasyPtr h(curl_easy_init());
    for (const auto& wire : s.sequence) {
        if (!post(h.get(), wire, s.endpoint.trustAnchorPem, headers)) return false;
    }
    return true;
}

void BM_Logins(benchmark::State& state) {
    auto& s = standIn();
    auto headers = serviceHeaders();
    FakeDesktop desktop;
    runPaired(
        state, [&] { return zoltLibLogins(s, desktop); },
        [&] { return replayFreshHandles(s, headers.get()); });
}
BENCHMARK(BM_Logins)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReplayOnOneConnection(benchmark::State& state) {
    auto& s = standIn();
    auto headers = serviceHeaders();
    runPaired(
        state, [&] { return replayOneConnection(s, headers.get()); },
        [&] { return replayFreshHandles(s, headers.get()); });
}
BENCHMARK(BM_ReplayOnOneConnection)->Unit(benchmark::kMillisecond)->UseRealTime();

// A server in this process that answers at once, with TCP_NODELAY, a canned text the size of
// a function status answer.
class CannedServer {
  public:
    CannedServer()
        : server_(RegsvcProcess::demoFile("demo-tls-server.pem").c_str(),
                  RegsvcProcess::demoFile("demo-tls-server.key").c_str()) {
        server_.set_tcp_nodelay(true);
        server_.Post(".*", [](const httplib::Request&, httplib::Response& rs) {
            rs.set_content(std::string(344, 'A'), "text/plain");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~CannedServer() {
        server_.stop();
        thread_.join();
    }
    std::string url() const { return "https://127.0.0.1:" + std::to_string(port_) + "/"; }

  private:
    httplib::SSLServer server_;
    int port_ = 0;
    std::thread thread_;
};

// One function status answer on a kept connection, beside the canned one.
void BM_OneAnswer(benchmark::State& state) {
    auto& s = standIn();
    auto headers = serviceHeaders();
    CannedServer canned;
    const Wire cannedWire{canned.url(), s.sequence[2].body};
    CurlEasyPtr standInHandle(curl_easy_init());
    CurlEasyPtr cannedHandle(curl_easy_init());
    const std::string& ca = s.endpoint.trustAnchorPem;
    runPaired(
        state, [&] { return post(standInHandle.get(), s.sequence[2], ca, headers.get()); },
        [&] { return post(cannedHandle.get(), cannedWire, ca, headers.get()); });
}
BENCHMARK(BM_OneAnswer)->Unit(benchmark::kMillisecond)->UseRealTime();

const bool declaredLogins = RatioReporter::declare(
    {"20 logins + getFnStatus through one ZOLTLib / fresh-handle replay", "BM_Logins", 0.6});
const bool declaredReuse =
    RatioReporter::declare({"  for comparison: the replay on one connection / fresh-handle replay",
                            "BM_ReplayOnOneConnection", 0});
const bool declaredAnswer = RatioReporter::declare(
    {"one stand-in answer / a canned answer from a TCP_NODELAY server", "BM_OneAnswer", 10.0});

}  // namespace
