#include "support/TestHttpsServer.h"

#include <stdexcept>

#include "support/OpensslTool.h"

namespace {

void mustRun(const std::vector<std::string>& args) {
    if (!OpensslTool::run(args)) throw std::runtime_error("openssl failed: " + args.front());
}

}  // namespace

TestHttpsServer::TestHttpsServer(const std::string& subjectAltName) {
    const std::string ca = dir_.file("ca.pem");
    const std::string caKey = dir_.file("ca.key");
    const std::string key = dir_.file("server.key");
    const std::string csr = dir_.file("server.csr");
    const std::string cert = dir_.file("server.pem");
    const std::string ext = dir_.file("server.ext");
    mustRun({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", caKey, "-out", ca, "-subj",
             "/CN=Norvale Test CA", "-days", "2", "-addext", "basicConstraints=critical,CA:TRUE",
             "-addext", "keyUsage=critical,keyCertSign"});
    mustRun({"req", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", csr, "-subj",
             "/CN=127.0.0.1"});
    OpensslTool::writeFile(ext, "subjectAltName=" + subjectAltName + "\n");
    mustRun({"x509", "-req", "-in", csr, "-CA", ca, "-CAkey", caKey, "-CAcreateserial", "-out",
             cert, "-days", "2", "-extfile", ext});
    auto pem = OpensslTool::readFile(ca);
    caPem_.assign(pem.begin(), pem.end());
    certPath_ = cert;
    keyPath_ = key;
    listen();
}

TestHttpsServer::~TestHttpsServer() {
    stop();
}

void TestHttpsServer::restart() {
    stop();
    listen();
}

// On port_, or a free one while it is 0.
void TestHttpsServer::listen() {
    server_ = std::make_unique<httplib::SSLServer>(certPath_.c_str(), keyPath_.c_str());
    if (!server_->is_valid()) throw std::runtime_error("test server has no valid certificate");
    // Without it every answer waits for the client's delayed acknowledgement.
    server_->set_tcp_nodelay(true);
    // A stop waits for every kept connection to time out; a restart need not take seconds.
    server_->set_keep_alive_timeout(1);
    auto dispatch = [this](const httplib::Request& rq, httplib::Response& rs) { serve(rq, rs); };
    server_->Post(".*", dispatch);
    server_->Get(".*", dispatch);
    server_->Put(".*", dispatch);
    if (port_ == 0) {
        port_ = server_->bind_to_any_port("127.0.0.1");
    } else if (!server_->bind_to_port("127.0.0.1", port_)) {
        port_ = -1;
    }
    if (port_ <= 0) throw std::runtime_error("test server cannot bind");
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    // stop() before the accept loop runs would be lost and leave the destructor waiting.
    while (!server_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void TestHttpsServer::stop() {
    server_->stop();
    if (thread_.joinable()) thread_.join();
}

std::string TestHttpsServer::url(const std::string& path) const {
    return "https://127.0.0.1:" + std::to_string(port_) + path;
}

void TestHttpsServer::setHandler(Handler handler) {
    std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
}

std::vector<TestHttpsServer::Received> TestHttpsServer::received() const {
    std::lock_guard lock(mutex_);
    return received_;
}

void TestHttpsServer::clearReceived() {
    std::lock_guard lock(mutex_);
    received_.clear();
}

void TestHttpsServer::serve(const httplib::Request& request, httplib::Response& response) {
    Handler handler;
    {
        std::lock_guard lock(mutex_);
        received_.push_back(
            {request.method, request.target, request.body, request.headers, request.remote_port});
        handler = handler_;
    }
    if (handler) handler(request, response);
}
