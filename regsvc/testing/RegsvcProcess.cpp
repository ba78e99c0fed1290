#include "RegsvcProcess.h"

#include <fcntl.h>
#include <httplib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace {

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

std::string RegsvcProcess::demoFile(const std::string& name) {
    return std::string(NORVALE_REGSVC_DEMO_DIR) + "/" + name;
}

RegsvcProcess::RegsvcProcess(const std::map<std::string, std::string>& overrides) {
    std::string tmpl = (std::filesystem::temp_directory_path() / "norvale-regsvc-XXXXXX").string();
    if (mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    dir_ = tmpl;
    auto config = nlohmann::ordered_json::parse(slurp(demoFile("config.json")));
    config["listen"]["port"] = 0;
    config["stateFile"] = dir_ + "/state.json";
    for (const char* key : {"serviceKey", "templateFile", "packageFile"}) {
        config[key] = demoFile(config[key]);
    }
    for (auto& [key, value] : config["tls"].items()) value = demoFile(value);
    for (auto& [key, value] : config["ca"].items()) value = demoFile(value);
    for (const auto& [key, json] : overrides) config[key] = nlohmann::ordered_json::parse(json);
    configPath_ = dir_ + "/config.json";
    std::ofstream(configPath_) << config.dump(2);
    start();
}

RegsvcProcess::~RegsvcProcess() {
    stop();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

void RegsvcProcess::start() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    const std::string binary = NORVALE_REGSVC_BINARY;
    std::vector<std::string> args{binary, "--config", configPath_, "--test-control"};
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int rc = posix_spawn(&pid_, binary.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        throw std::runtime_error("cannot start " + binary);
    }
    // The first line says where it listens; later lines (the request log) are drained.
    std::string line;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') line += c;
    const std::string prefix = "regsvc listening on https://127.0.0.1:";
    if (line.rfind(prefix, 0) != 0) {
        close(fds[0]);
        stop();
        throw std::runtime_error("regsvc did not start: " + line);
    }
    port_ = std::stoi(line.substr(prefix.size()));
    std::thread([fd = fds[0]] {
        char buf[4096];
        while (read(fd, buf, sizeof buf) > 0) {
        }
        close(fd);
    }).detach();
}

bool RegsvcProcess::stop() {
    if (pid_ <= 0) return true;
    kill(pid_, SIGTERM);
    // A service that does not end on its own must not hold the test: it is killed after a while.
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
        if (Clock::now() >= deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = -1;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void RegsvcProcess::restart() {
    stop();
    start();
}

std::string RegsvcProcess::baseUrl() const {
    return "https://127.0.0.1:" + std::to_string(port_);
}

std::string RegsvcProcess::trustAnchorPem() const {
    return slurp(demoFile("demo-tls-ca.pem"));
}

std::string RegsvcProcess::servicePublicKeyPem() const {
    return slurp(demoFile("demo-service.pub"));
}

void RegsvcProcess::control(const std::string& path, const std::string& body) {
    httplib::SSLClient client("127.0.0.1", port_);
    client.set_ca_cert_path(demoFile("demo-tls-ca.pem").c_str());
    client.enable_server_certificate_verification(true);
    auto result = client.Post(path.c_str(), body, "application/json");
    if (!result || result->status != 200) throw std::runtime_error("test control failed: " + path);
}

void RegsvcProcess::setRule(const std::string& action, const std::string& ruleJson) {
    auto rule = nlohmann::json::parse(ruleJson);
    rule["action"] = action;
    control("/__test/rule", rule.dump());
}

void RegsvcProcess::advanceClock(long long seconds) {
    control("/__test/clock", nlohmann::json{{"advanceSeconds", seconds}}.dump());
}

void RegsvcProcess::reset() {
    control("/__test/reset", "{}");
}

std::string RegsvcProcess::requests() {
    httplib::SSLClient client("127.0.0.1", port_);
    client.set_ca_cert_path(demoFile("demo-tls-ca.pem").c_str());
    client.enable_server_certificate_verification(true);
    auto result = client.Get("/__test/requests");
    if (!result || result->status != 200) throw std::runtime_error("cannot read requests");
    return result->body;
}
