#include "support/NssTool.h"

#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "platform/Process.h"
#include "support/OpensslTool.h"
#include "support/TempDir.h"

namespace {

std::optional<std::string> run(const std::vector<std::string>& argv) {
    return Process::capture(argv, std::chrono::seconds(60), true);
}

std::string mustRun(const std::vector<std::string>& argv) {
    auto out = run(argv);
    if (!out) throw std::runtime_error(argv.front() + " " + argv[1] + " failed");
    return *out;
}

// A file holding a password, for the tools' -f, -w and -k options.
std::string passwordFile(const TempDir& dir, const std::string& name, const std::string& password) {
    OpensslTool::writeFile(dir.file(name), password + "\n");
    return dir.file(name);
}

std::string db(const std::string& dir) {
    return "sql:" + dir;
}

}  // namespace

void NssTool::makeDb(const std::string& dir, const std::string& primaryPassword) {
    std::filesystem::create_directories(dir);
    TempDir files;
    if (primaryPassword.empty()) {
        mustRun({"certutil", "-N", "-d", db(dir), "--empty-password"});
    } else {
        mustRun({"certutil", "-N", "-d", db(dir), "-f",
                 passwordFile(files, "primary", primaryPassword)});
    }
}

void NssTool::importPfx(const std::string& dir, const std::string& pfxPath,
                        const std::string& pfxPassword, const std::string& primaryPassword) {
    TempDir files;
    std::vector<std::string> argv{
        "pk12util", "-i", pfxPath, "-d", db(dir), "-w", passwordFile(files, "pfx", pfxPassword)};
    if (!primaryPassword.empty()) {
        argv.insert(argv.end(), {"-k", passwordFile(files, "primary", primaryPassword)});
    }
    mustRun(argv);
}

std::multiset<std::string> NssTool::fingerprints(const std::string& dir) {
    // Nickname, then the trust column; one nickname may stand for several certificates.
    std::set<std::string> nicknames;
    std::istringstream listing(mustRun({"certutil", "-L", "-d", db(dir)}));
    std::string line;
    for (int header = 0; std::getline(listing, line);) {
        if (header < 4) {
            ++header;
            continue;
        }
        const auto end = line.find_last_not_of(' ');
        if (end == std::string::npos) continue;
        const auto trustStart = line.find_last_of(' ', end);
        nicknames.insert(line.substr(0, line.find_last_not_of(' ', trustStart) + 1));
    }
    std::multiset<std::string> prints;
    TempDir files;
    int n = 0;
    for (const auto& nickname : nicknames) {
        const std::string pem = mustRun({"certutil", "-L", "-d", db(dir), "-n", nickname, "-a"});
        for (auto at = pem.find("-----BEGIN"); at != std::string::npos;
             at = pem.find("-----BEGIN", at + 1)) {
            const auto end = pem.find("-----END CERTIFICATE-----", at);
            const std::string file = files.file(std::to_string(++n) + ".pem");
            OpensslTool::writeFile(file, pem.substr(at, end + 25 - at) + "\n");
            prints.insert(fingerprint(file));
        }
    }
    return prints;
}

std::optional<int> NssTool::keyCount(const std::string& dir, const std::string& primaryPassword) {
    TempDir files;
    std::vector<std::string> argv{"certutil", "-K", "-d", db(dir)};
    if (!primaryPassword.empty()) {
        argv.insert(argv.end(), {"-f", passwordFile(files, "primary", primaryPassword)});
    }
    auto out = run(argv);
    if (!out) return std::nullopt;
    int keys = 0;
    std::istringstream lines(*out);
    for (std::string line; std::getline(lines, line);) keys += line.rfind("<", 0) == 0;
    return keys;
}

std::string NssTool::fingerprint(const std::string& pemPath) {
    const std::string out =
        mustRun({"openssl", "x509", "-noout", "-fingerprint", "-sha1", "-in", pemPath});
    std::string hex;
    for (char c : out.substr(out.find('=') + 1)) {
        if (std::isxdigit(static_cast<unsigned char>(c))) hex += c;
    }
    return hex;
}
