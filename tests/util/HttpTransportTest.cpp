#include <gtest/gtest.h>

#include <thread>

#include "support/FakeDesktop.h"
#include "support/TestHttpsServer.h"
#include "util/CommonUtility.h"
#include "util/CurlTransport.h"

namespace {

using namespace std::chrono_literals;

class HttpTransport : public testing::Test {
  protected:
    static void SetUpTestSuite() { server = new TestHttpsServer(); }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override {
        server->clearReceived();
        server->setHandler(nullptr);
    }

    CommonUtility utilWith(HttpLimits limits) {
        return CommonUtility(desktop, CurlTransport(server->caPem(), limits, limits));
    }

    static TestHttpsServer* server;
    FakeDesktop desktop;
    CommonUtility util{desktop, CurlTransport(server->caPem())};
};

TestHttpsServer* HttpTransport::server = nullptr;

HttpLimits tightLimits() {
    return {2s, 1s, 3s, 1000};
}

TEST_F(HttpTransport, PostCarriesTheFormBodyAndOnlyTheContentTypeHeader) {
    server->setHandler(
        [](const httplib::Request&, httplib::Response& rs) { rs.set_content("ok", "text/plain"); });
    std::optional<Bytes> body;
    ASSERT_EQ(util.httpConnect(server->url("/PLOVR_STK/api/doLogin"), "POST",
                               {{"id", "A1 2"}, {"pwd", ""}}, body),
              0);
    EXPECT_EQ(body, (Bytes{'o', 'k'}));
    auto seen = server->received();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].method, "POST");
    EXPECT_EQ(seen[0].target, "/PLOVR_STK/api/doLogin");
    EXPECT_EQ(seen[0].body, "id=A1%202&pwd=");
    std::set<std::string> names;
    for (const auto& [name, value] : seen[0].headers) names.insert(name);
    EXPECT_EQ(seen[0].headers.find("Content-Type")->second,
              "application/x-www-form-urlencoded; charset=UTF-8");
    // Host and Content-Length belong to HTTP itself; nothing else is added.
    for (const auto& name : names) {
        EXPECT_TRUE(name == "Content-Type" || name == "Host" || name == "Content-Length" ||
                    name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" ||
                    name == "LOCAL_PORT")
            << name;
    }
}

TEST_F(HttpTransport, GetPutsParametersInTheAddressAndNothingWhenThereAreNone) {
    std::optional<Bytes> body;
    util.httpConnect(server->url("/file"), "GET", {}, body);
    util.httpConnect(server->url("/file"), "GET", {{"a", "1"}}, body);
    auto seen = server->received();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].target, "/file");
    EXPECT_EQ(seen[1].target, "/file?a=1");
    EXPECT_EQ(seen[0].body, "");
}

TEST_F(HttpTransport, UnknownMethodSendsNothing) {
    std::optional<Bytes> body = Bytes{'x'};
    EXPECT_EQ(util.httpConnect(server->url("/x"), "PUT", {{"a", "1"}}, body), 1);
    EXPECT_EQ(body, Bytes{'x'});
    EXPECT_TRUE(server->received().empty());
}

TEST_F(HttpTransport, FailuresStillReturnZeroWithWhatCameBack) {
    struct Case {
        std::string name;
        TestHttpsServer::Handler handler;
        std::optional<Bytes> expected;
    };
    const std::vector<Case> cases{
        {"error status keeps its body",
         [](const httplib::Request&, httplib::Response& rs) {
             rs.status = 500;
             rs.set_content("oops", "text/plain");
         },
         Bytes{'o', 'o', 'p', 's'}},
        {"empty body", [](const httplib::Request&, httplib::Response&) {}, Bytes{}},
        {"dropped connection",
         [](const httplib::Request&, httplib::Response& rs) {
             rs.set_chunked_content_provider("text/plain",
                                             [](size_t, httplib::DataSink&) { return false; });
         },
         std::nullopt},
        {"oversized answer",
         [](const httplib::Request&, httplib::Response& rs) {
             rs.set_content(std::string(5000, 'x'), "text/plain");
         },
         std::nullopt},
        {"stalled answer",
         [](const httplib::Request&, httplib::Response& rs) {
             std::this_thread::sleep_for(4s);
             rs.set_content("late", "text/plain");
         },
         std::nullopt},
    };
    auto limited = utilWith(tightLimits());
    for (const auto& c : cases) {
        server->setHandler(c.handler);
        std::optional<Bytes> body;
        EXPECT_EQ(limited.httpConnect(server->url("/api"), "POST", {{"a", "1"}}, body), 0)
            << c.name;
        EXPECT_EQ(body, c.expected) << c.name;
    }
}

TEST_F(HttpTransport, ConsecutiveCallsShareOneConnectionUntilTheServerDropsIt) {
    server->setHandler(
        [](const httplib::Request&, httplib::Response& rs) { rs.set_content("ok", "text/plain"); });
    std::optional<Bytes> body;
    util.httpConnect(server->url("/api"), "POST", {{"call", "1"}}, body);
    util.httpConnect(server->url("/api"), "POST", {{"call", "2"}}, body);
    server->restart();
    body.reset();
    ASSERT_EQ(util.httpConnect(server->url("/api"), "POST", {{"call", "3"}}, body), 0);
    EXPECT_EQ(body, (Bytes{'o', 'k'}));
    auto seen = server->received();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[1].clientPort, seen[0].clientPort);
    EXPECT_NE(seen[2].clientPort, seen[0].clientPort);
}

TEST_F(HttpTransport, DeadServiceGivesNoBody) {
    std::optional<Bytes> body;
    // Port 9 on loopback: nothing listens, the connection is refused at once.
    EXPECT_EQ(util.httpConnect("https://127.0.0.1:9/api", "POST", {}, body), 0);
    EXPECT_FALSE(body.has_value());
}

TEST_F(HttpTransport, CertificateVerificationStaysOn) {
    CommonUtility systemTrust(desktop, CurlTransport());
    server->setHandler([](const httplib::Request&, httplib::Response& rs) {
        rs.set_content("secret", "text/plain");
    });
    std::optional<Bytes> body;
    EXPECT_EQ(systemTrust.httpConnect(server->url("/api"), "POST", {}, body), 0);
    EXPECT_FALSE(body.has_value());
    EXPECT_EQ(util.httpConnect(server->url("/api"), "POST", {}, body), 0);
    EXPECT_TRUE(body.has_value());

    // A certificate from a trusted CA for another host: the address must name the
    // certificate's host too.
    TestHttpsServer elsewhere("DNS:elsewhere.example");
    elsewhere.setHandler([](const httplib::Request&, httplib::Response& rs) {
        rs.set_content("secret", "text/plain");
    });
    CommonUtility trustingElsewhere(desktop, CurlTransport(elsewhere.caPem()));
    body.reset();
    EXPECT_EQ(trustingElsewhere.httpConnect(elsewhere.url("/api"), "POST", {}, body), 0);
    EXPECT_FALSE(body.has_value());
    EXPECT_FALSE(trustingElsewhere.httpDownload(elsewhere.url("/api")).has_value());
    EXPECT_TRUE(elsewhere.received().empty());  // refused before any request went out
}

TEST_F(HttpTransport, DownloadsFollowHttpsRedirectsAndTakeOnlySuccess) {
    const std::string port = server->url("").substr(server->url("").rfind(':') + 1);
    server->setHandler([&](const httplib::Request& rq, httplib::Response& rs) {
        const std::string& path = rq.path;
        if (path == "/file") {
            rs.set_content("the file", "application/octet-stream");
        } else if (path == "/moved") {
            rs.set_redirect("/file", 302);
        } else if (path == "/moved-twice") {
            rs.set_redirect(server->url("/moved"), 301);
        } else if (path == "/loop") {
            rs.set_redirect("/loop", 302);
        } else if (path == "/to-http") {
            rs.set_redirect("http://127.0.0.1:" + port + "/file", 302);
        } else if (path == "/error") {
            rs.status = 500;
            rs.set_content("<html>error page</html>", "text/html");
        } else {
            rs.status = 404;
            rs.set_content("<html>not found</html>", "text/html");
        }
    });
    struct Case {
        std::string url;
        bool arrives;
    };
    const std::vector<Case> cases{
        {server->url("/file"), true},        {server->url("/moved"), true},
        {server->url("/moved-twice"), true}, {server->url("/loop"), false},
        {server->url("/to-http"), false},    {server->url("/missing"), false},
        {server->url("/error"), false},      {"http://127.0.0.1:" + port + "/file", false},
        {"file:///etc/passwd", false},
    };
    const std::string target = desktop.homePath() + "/Downloads/installer.pkg";
    for (const auto& c : cases) {
        const auto body = util.httpDownload(c.url);
        EXPECT_EQ(body.has_value(), c.arrives) << c.url;
        if (body) {
            EXPECT_EQ(std::string(body->begin(), body->end()), "the file");
        }
        EXPECT_EQ(util.httpDownloadAsFile(c.url, target), c.arrives) << c.url;
        EXPECT_EQ(util.getFile(target).has_value(), c.arrives) << c.url;
        util.removeFile(target);
    }
}

}  // namespace
