#include "support/NssTool.h"

#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "platform/Process.h"
#include "support/OpensslTool.h"
#include "support/TempDir.h"

namespace {

// certutil or pk12util on the database in `dir`; a password goes through a file.
std::optional<std::string> run(std::vector<std::string> argv, const std::string& dir,
                               const std::string& passwordOption = "",
                               const std::string& password = "") {
    TempDir files;
    argv.insert(argv.begin() + 1, {"-d", "sql:" + dir});
    if (!passwordOption.empty()) {
        OpensslTool::writeFile(files.file("pw"), password + "\n");
        argv.insert(argv.end(), {passwordOption, files.file("pw")});
    }
    return Process::capture(argv, std::chrono::seconds(60), true);
}

std::string mustRun(const std::vector<std::string>& argv, const std::string& dir,
                    const std::string& passwordOption = "", const std::string& password = "") {
    auto out = run(argv, dir, passwordOption, password);
    if (!out) throw std::runtime_error(argv[0] + " " + argv[1] + " failed on " + dir);
    return *out;
}

std::string hexDigits(const std::string& text) {
    std::string hex;
    for (char c : text) {
        if (std::isxdigit(static_cast<unsigned char>(c))) hex += c;
    }
    return hex;
}

}  // namespace

void NssTool::makeDb(const std::string& dir, const std::string& primaryPassword) {
    std::filesystem::create_directories(dir);
    if (primaryPassword.empty()) {
        mustRun({"certutil", "-N", "--empty-password"}, dir);
    } else {
        mustRun({"certutil", "-N"}, dir, "-f", primaryPassword);
    }
}

void NssTool::importPfx(const std::string& dir, const std::string& pfxPath,
                        const std::string& pfxPassword) {
    mustRun({"pk12util", "-i", pfxPath}, dir, "-w", pfxPassword);
}

std::multiset<std::string> NssTool::fingerprints(const std::string& dir) {
    // Below a four-line header: nickname, then the trust column. One nickname stands for all
    // the certificates of a subject, and certutil prints each of them.
    std::set<std::string> nicknames;
    std::istringstream listing(mustRun({"certutil", "-L"}, dir));
    std::string line;
    for (int n = 0; std::getline(listing, line); ++n) {
        const auto end = line.find_last_not_of(' ');
        if (n < 4 || end == std::string::npos) continue;
        nicknames.insert(line.substr(0, line.find_last_not_of(' ', line.rfind(' ', end)) + 1));
    }
    std::multiset<std::string> prints;
    for (const auto& nickname : nicknames) {
        std::istringstream details(mustRun({"certutil", "-L", "-n", nickname}, dir));
        while (std::getline(details, line)) {
            if (line.find("Fingerprint (SHA1):") == std::string::npos) continue;
            std::getline(details, line);
            prints.insert(hexDigits(line));
        }
    }
    return prints;
}

std::optional<int> NssTool::keyCount(const std::string& dir, const std::string& password) {
    auto out = run({"certutil", "-K"}, dir, password.empty() ? "" : "-f", password);
    if (!out) return std::nullopt;
    int keys = 0;
    std::istringstream lines(*out);
    for (std::string line; std::getline(lines, line);) keys += line.rfind("<", 0) == 0;
    return keys;
}

std::string NssTool::fingerprint(const std::string& pemPath) {
    auto out = OpensslTool::run({"x509", "-noout", "-fingerprint", "-sha1", "-in", pemPath});
    if (!out) throw std::runtime_error("openssl x509 failed on " + pemPath);
    return hexDigits(out->substr(out->find('=') + 1));
}
