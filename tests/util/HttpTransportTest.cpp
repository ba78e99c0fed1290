#include <gtest/gtest.h>

#include <thread>

#include "support/FakeDesktop.h"
#include "support/TestHttpsServer.h"
#include "util/CommonUtility.h"
#include "util/CurlTransport.h"

namespace {

using namespace std::chrono_literals;

// One server for the suite, answering by path; a redirect's target starts with "->".
class HttpTransport : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        server = new TestHttpsServer();
        static const std::map<std::string, std::pair<int, std::string>> answers = {
            {"/file", {200, "the file"}},
            {"/api", {200, "ok"}},
            {"/empty", {200, ""}},
            {"/error", {500, "oops"}},
            {"/big", {200, std::string(5000, 'x')}},
            {"/moved", {302, "->/file"}},
            {"/loop", {302, "->/loop"}},
            {"/moved-twice", {301, "->" + server->url("/moved")}},
            {"/to-http", {302, "->http" + server->url("/file").substr(5)}},
        };
        server->setHandler([](const httplib::Request& rq, httplib::Response& rs) {
            if (rq.path == "/drop") {
                rs.set_chunked_content_provider("text/plain",
                                                [](size_t, httplib::DataSink&) { return false; });
                return;
            }
            if (rq.path == "/stall") std::this_thread::sleep_for(4s);
            const auto found = answers.find(rq.path);
            const auto& [status, body] =
                found == answers.end() ? std::pair(404, std::string("not found")) : found->second;
            if (body.rfind("->", 0) == 0) return rs.set_redirect(body.substr(2), status);
            rs.status = status;
            rs.set_content(body, "text/plain");
        });
    }
    static void TearDownTestSuite() { delete server; }
    void SetUp() override { server->clearReceived(); }

    static std::optional<Bytes> post(const CommonUtility& via, const std::string& url,
                                     const StringMap& data = {}) {
        std::optional<Bytes> body;
        EXPECT_EQ(via.httpConnect(url, "POST", data, body), 0) << url;
        return body;
    }

    static inline TestHttpsServer* server = nullptr;
    FakeDesktop desktop;
    CommonUtility util{desktop, CurlTransport(server->caPem())};
};

TEST_F(HttpTransport, PostCarriesTheFormBodyAndOnlyTheContentTypeHeader) {
    EXPECT_EQ(post(util, server->url("/api"), {{"id", "A1 2"}, {"pwd", ""}}), (Bytes{'o', 'k'}));
    std::optional<Bytes> body;
    util.httpConnect(server->url("/file"), "GET", {}, body);
    util.httpConnect(server->url("/file"), "GET", {{"a", "1"}}, body);
    auto seen = server->received();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].method + " " + seen[0].target + " " + seen[0].body,
              "POST /api id=A1%202&pwd=");
    EXPECT_EQ(seen[0].headers.find("Content-Type")->second,
              "application/x-www-form-urlencoded; charset=UTF-8");
    // Host and Content-Length belong to HTTP itself; nothing else is added.
    const std::set<std::string> allowed{"Content-Type", "Host",        "Content-Length",
                                        "REMOTE_ADDR",  "REMOTE_PORT", "LOCAL_ADDR",
                                        "LOCAL_PORT"};
    for (const auto& [name, value] : seen[0].headers) EXPECT_TRUE(allowed.count(name)) << name;
    // GET puts the parameters in the address, and nothing when there are none.
    EXPECT_EQ(seen[1].method + " " + seen[1].target + " " + seen[1].body, "GET /file ");
    EXPECT_EQ(seen[2].target, "/file?a=1");
}

// A cut-off, oversized or late answer is no answer; an error status still has its body.
TEST_F(HttpTransport, FailuresStillReturnZeroWithWhatCameBack) {
    const HttpLimits tight{2s, 1s, 3s, 1000};
    CommonUtility limited(desktop, CurlTransport(server->caPem(), tight, tight));
    const std::pair<std::string, std::optional<Bytes>> cases[] = {
        {server->url("/error"), Bytes{'o', 'o', 'p', 's'}},
        {server->url("/empty"), Bytes{}},
        {server->url("/drop"), std::nullopt},
        {server->url("/big"), std::nullopt},
        {server->url("/stall"), std::nullopt},
        {"https://127.0.0.1:9/api", std::nullopt},  // nothing listens: refused at once
    };
    for (const auto& [url, expected] : cases) EXPECT_EQ(post(limited, url), expected) << url;
}

TEST_F(HttpTransport, ConsecutiveCallsShareOneConnectionUntilTheServerDropsIt) {
    post(util, server->url("/api"));
    post(util, server->url("/api"));
    server->restart();
    EXPECT_EQ(post(util, server->url("/api")), (Bytes{'o', 'k'}));
    auto seen = server->received();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[1].clientPort, seen[0].clientPort);
    EXPECT_NE(seen[2].clientPort, seen[0].clientPort);
}

TEST_F(HttpTransport, CertificateVerificationStaysOnAndChecksTheHost) {
    EXPECT_FALSE(post(CommonUtility(desktop, CurlTransport()), server->url("/api")));
    // A certificate from a trusted CA for another host: the address must name its host too.
    TestHttpsServer elsewhere("DNS:elsewhere.example");
    CommonUtility trustingElsewhere(desktop, CurlTransport(elsewhere.caPem()));
    EXPECT_FALSE(post(trustingElsewhere, elsewhere.url("/api")));
    EXPECT_TRUE(elsewhere.received().empty());  // refused before any request went out
}

TEST_F(HttpTransport, DownloadsFollowHttpsRedirectsAndTakeOnlySuccess) {
    const std::pair<std::string, bool> cases[] = {
        {server->url("/file"), true},        {server->url("/moved"), true},
        {server->url("/moved-twice"), true}, {server->url("/loop"), false},
        {server->url("/to-http"), false},    {server->url("/missing"), false},
        {server->url("/error"), false},      {"http" + server->url("/file").substr(5), false},
        {"file:///etc/passwd", false},
    };
    const std::string target = desktop.homePath() + "/Downloads/installer.pkg";
    for (const auto& [url, arrives] : cases) {
        const auto body = util.httpDownload(url);
        EXPECT_EQ(body, arrives ? std::optional(Bytes{'t', 'h', 'e', ' ', 'f', 'i', 'l', 'e'})
                                : std::nullopt)
            << url;
        EXPECT_EQ(util.httpDownloadAsFile(url, target), arrives) << url;
        EXPECT_EQ(util.getFile(target).has_value(), arrives) << url;
        util.removeFile(target);
    }
}

}  // namespace
