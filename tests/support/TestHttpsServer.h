#pragma once

#include <httplib.h>

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/TempDir.h"

// A real HTTPS server on a free loopback port, with a self-signed certificate made by the
// openssl tool for this run. Tests set what it answers and read what it received.
class TestHttpsServer {
  public:
    struct Received {
        std::string method;
        std::string target;  // path and query as sent
        std::string body;
        httplib::Headers headers;
        int clientPort = 0;  // tells the connections apart
    };
    using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

    // `subjectAltName`: the names in the server's certificate, as an openssl extfile value.
    explicit TestHttpsServer(const std::string& subjectAltName = "IP:127.0.0.1,DNS:localhost");
    ~TestHttpsServer();

    // Stops, closing every connection, and listens again on the same port.
    void restart();

    std::string url(const std::string& path) const;
    const std::string& caPem() const { return caPem_; }
    void setHandler(Handler handler);
    std::vector<Received> received() const;
    void clearReceived();

  private:
    void listen();
    void stop();
    void serve(const httplib::Request& request, httplib::Response& response);

    TempDir dir_;
    std::string caPem_;
    std::string certPath_;
    std::string keyPath_;
    std::unique_ptr<httplib::SSLServer> server_;
    int port_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    Handler handler_;
    std::vector<Received> received_;
};
