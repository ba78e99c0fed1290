#include "support/TestHttpsServer.h"

#include <stdexcept>

#include "support/OpensslTool.h"

// Self-signed: the server's certificate is its own trust anchor.
TestHttpsServer::TestHttpsServer(const std::string& subjectAltName)
    : certPath_(dir_.file("server.pem")), keyPath_(dir_.file("server.key")) {
    if (!OpensslTool::run({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", keyPath_,
                           "-out", certPath_, "-subj", "/CN=Norvale Test Server", "-days", "2",
                           "-addext", "subjectAltName=" + subjectAltName})) {
        throw std::runtime_error("openssl cannot make the test server's certificate");
    }
    caPem_ = OpensslTool::readText(certPath_);
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
