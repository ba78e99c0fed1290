#include "Server.h"

#include <chrono>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "Codec.h"

namespace {

// These three always travel in the public-key envelope, whatever the address says.
bool usesPublicKey(const std::string& action) {
    return action == "getSysCfg" || action == "checkVersion" || action == "doLogin";
}

std::optional<std::string> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

Server::Server(const Config& config, Registry& registry, const ServiceEnvelope& envelope,
               bool testControl)
    : config_(config),
      registry_(registry),
      envelope_(envelope),
      testControl_(testControl),
      server_(config.tlsCert.c_str(), config.tlsKey.c_str()) {
    // Far above any real request (a signed renewal is a few KiB); larger bodies get 413.
    server_.set_payload_max_length(64 * 1024);
    // Headers and body leave in two writes; with Nagle on, the body would wait for the
    // client's delayed acknowledgement (about 40 ms) on every answer. Accepted sockets
    // inherit the option from the listening one.
    server_.set_tcp_nodelay(true);
    server_.Post(R"(/PLOVR_(STK|FT)/api/(?:SID:([^/]+)/)?([A-Za-z]+))",
                 [this](const httplib::Request& rq, httplib::Response& rs) { serveApi(rq, rs); });
    server_.Get("/files/template.html", [this](const httplib::Request&, httplib::Response& rs) {
        serveFile(config_.templateFile, true, rs);
    });
    server_.Get("/files/NorvaleCertClient.pkg",
                [this](const httplib::Request&, httplib::Response& rs) {
                    serveFile(config_.packageFile, false, rs);
                });
    if (testControl_) addTestControl();
}

int Server::bind() {
    if (!server_.is_valid()) return -1;
    if (config_.port == 0) return server_.bind_to_any_port(config_.host);
    return server_.bind_to_port(config_.host, config_.port) ? config_.port : -1;
}

void Server::run() {
    server_.listen_after_bind();
}

void Server::stop() {
    // httplib's stop() does nothing until the loop runs, and a signal taken between bind() and
    // run() would be spent on it: wait for the loop, then end it.
    while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    server_.stop();
}

void Server::serveFile(const std::string& path, bool asBig5, httplib::Response& response) {
    auto content = readFile(path);
    if (content && asBig5) content = codec::utf8ToBig5(*content);
    if (!content) {
        response.status = 404;
        return;
    }
    response.set_content(*content, asBig5 ? "text/html; charset=big5" : "application/octet-stream");
}

void Server::serveApi(const httplib::Request& request, httplib::Response& response) {
    Call call;
    call.futuresEndpoint = request.matches[1] == "FT";
    if (request.matches[2].matched) call.sessionId = request.matches[2].str();
    call.action = request.matches[3];

    std::optional<std::string> sessionKey;
    if (!usesPublicKey(call.action)) {
        sessionKey = call.sessionId ? registry_.sessionKey(*call.sessionId) : std::nullopt;
        if (!sessionKey) {
            // Without a session key the answer cannot be sealed; say it in plain HTTP.
            std::cout << "action=" << call.action << " result=unknown-session" << std::endl;
            response.status = 403;
            return;
        }
    }
    httplib::Params form;
    httplib::detail::parse_query_text(request.body, form);
    bool opened = true;
    for (const auto& [name, value] : form) {
        if (value.empty()) {
            call.params[name] = "";
            continue;
        }
        auto plain = sessionKey ? ServiceEnvelope::openSession(*sessionKey, value)
                                : envelope_.openPublic(value);
        if (!plain) {
            // A public-key value that does not open is a wrong value, answered as such (a
            // login as a wrong password): no padding oracle. Only a session, whose answer
            // nobody else can read, hears that its data did not decrypt.
            if (sessionKey) opened = false;
            call.unreadable = true;
        }
        call.params[name] = plain.value_or("");
    }

    Answer answer = opened ? registry_.handle(call) : Answer::refuse("9002", "資料解密失敗");
    Rule rule;
    {
        std::lock_guard lock(mutex_);
        if (auto it = rules_.find(call.action); it != rules_.end()) rule = it->second;
    }
    if (rule.rtnCode) answer = Answer::refuse(*rule.rtnCode, rule.rtnMsg);
    record(call, answer.rtnCode);
    std::cout << "action=" << call.action << " endpoint=" << (call.futuresEndpoint ? "FT" : "STK")
              << " customer=" << answer.customerId << " rtnCode=" << answer.rtnCode << std::endl;

    auto big5 = codec::utf8ToBig5(answer.toXml());
    auto sealed = !big5        ? std::nullopt
                  : sessionKey ? ServiceEnvelope::sealSession(*sessionKey, *big5)
                               : envelope_.sealPublic(*big5);
    if (!sealed) {
        response.status = 500;
        return;
    }
    if (rule.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(rule.delayMs));
    if (rule.mode == "garble") {
        std::reverse(sealed->begin(), sealed->end() - 4);  // still base64, no longer a ciphertext
    } else if (rule.mode == "truncate") {
        sealed->resize(sealed->size() / 2 / 4 * 4);
    } else if (rule.mode == "trailingNewline") {
        *sealed += "\n";
    } else if (rule.mode == "drop") {
        response.set_chunked_content_provider("text/plain",
                                              [](size_t, httplib::DataSink&) { return false; });
        return;
    }
    if (rule.httpStatus != 200) {
        // As a failing front end would: an error page, not an answer.
        response.status = rule.httpStatus;
        response.set_content(
            "<html><body>error " + std::to_string(rule.httpStatus) + "</body></html>", "text/html");
        return;
    }
    response.set_content(*sealed, "text/plain");
}

void Server::record(const Call& call, const std::string& rtnCode) {
    if (!testControl_) return;
    nlohmann::json params = nlohmann::json::object();
    for (const auto& [name, value] : call.params)
        params[name] = name == "pwd" ? "(withheld)" : value;
    nlohmann::json entry{{"action", call.action},
                         {"endpoint", call.futuresEndpoint ? "FT" : "STK"},
                         {"sessionId", call.sessionId.value_or("")},
                         {"params", params},
                         {"rtnCode", rtnCode}};
    std::lock_guard lock(mutex_);
    requests_.push_back(entry.dump());
}

void Server::addTestControl() {
    server_.Post("/__test/rule", [this](const httplib::Request& rq, httplib::Response& rs) {
        auto json = nlohmann::json::parse(rq.body, nullptr, false);
        if (json.is_discarded() || !json.contains("action")) {
            rs.status = 400;
            return;
        }
        Rule rule;
        if (json.contains("rtnCode")) rule.rtnCode = json["rtnCode"].get<std::string>();
        rule.rtnMsg = json.value("rtnMsg", "");
        rule.mode = json.value("mode", "");
        rule.httpStatus = json.value("httpStatus", 200);
        rule.delayMs = json.value("delayMs", 0);
        std::lock_guard lock(mutex_);
        rules_[json["action"].get<std::string>()] = rule;
    });
    server_.Post("/__test/reset", [this](const httplib::Request&, httplib::Response&) {
        std::lock_guard lock(mutex_);
        rules_.clear();
        requests_.clear();
    });
    server_.Post("/__test/clock", [this](const httplib::Request& rq, httplib::Response& rs) {
        auto json = nlohmann::json::parse(rq.body, nullptr, false);
        if (json.is_discarded() || !json.contains("advanceSeconds")) {
            rs.status = 400;
            return;
        }
        registry_.advanceClock(json["advanceSeconds"].get<long long>());
    });
    server_.Get("/__test/requests", [this](const httplib::Request&, httplib::Response& rs) {
        std::lock_guard lock(mutex_);
        std::string body = "[";
        for (std::size_t i = 0; i < requests_.size(); ++i) body += (i ? "," : "") + requests_[i];
        rs.set_content(body + "]", "application/json");
    });
}
