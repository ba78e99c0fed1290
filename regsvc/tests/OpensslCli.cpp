#include "OpensslCli.h"

#include <cstdio>
#include <fstream>
#include <sstream>

std::optional<std::string> OpensslCli::run(const std::vector<std::string>& args) const {
    std::string command = "openssl";
    for (const auto& arg : args) command += " '" + arg + "'";
    command += " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return std::nullopt;
    std::string out;
    char buf[4096];
    for (std::size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
    if (pclose(pipe) != 0) return std::nullopt;
    return out;
}

void OpensslCli::write(const std::string& name, const std::string& text) const {
    std::ofstream(file(name), std::ios::binary) << text;
}

std::string OpensslCli::read(const std::string& name) const {
    std::ifstream in(file(name), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string OpensslCli::request(const std::string& name, const std::string& subject) const {
    run({"req", "-new", "-newkey", "rsa:2048", "-nodes", "-keyout", file(name + ".key"), "-out",
         file(name + ".csr"), "-subj", subject});
    std::string pem = read(name + ".csr");
    auto first = pem.find('\n') + 1;
    auto last = pem.rfind("\n-----END");
    return pem.substr(first, last - first);
}

std::string OpensslCli::sign(const std::string& text, const std::string& certPem,
                             const std::string& keyFile) const {
    write("content.txt", text);
    write("signer.pem", certPem);
    run({"cms", "-sign", "-nodetach", "-binary", "-md", "sha1", "-noattr", "-outform", "DER", "-in",
         file("content.txt"), "-signer", file("signer.pem"), "-inkey", keyFile, "-out",
         file("sig.der")});
    return run({"base64", "-A", "-in", file("sig.der")}).value_or("");
}
