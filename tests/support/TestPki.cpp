#include "support/TestPki.h"

#include <stdexcept>

#include "support/OpensslTool.h"

namespace {

std::string mustRun(const std::vector<std::string>& args) {
    auto out = OpensslTool::run(args);
    if (!out) throw std::runtime_error("openssl " + args.front() + " failed");
    return *out;
}

std::string oneLine(std::string text) {
    std::string out;
    for (char c : text) {
        if (c != '\n' && c != '\r') out += c;
    }
    return out;
}

}  // namespace

TestPki::TestPki() {
    rootKey_ = file("root.key");
    rootCert_ = file("root.pem");
    mustRun({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", rootKey_, "-out",
             rootCert_, "-subj", "/CN=Test Root CA/O=Test Bank/C=TW", "-days", "30", "-addext",
             "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign"});
    issuingKey_ = file("issuing.key");
    const std::string request = file("issuing.csr");
    mustRun({"req", "-newkey", "rsa:2048", "-nodes", "-keyout", issuingKey_, "-out", request,
             "-subj", "/CN=Test Issuing CA/O=Test Bank/C=TW"});
    OpensslTool::writeFile(file("issuing.ext"),
                           std::string("basicConstraints=critical,CA:TRUE\n"
                                       "keyUsage=critical,keyCertSign,digitalSignature\n"));
    issuingCert_ = file("issuing.pem");
    mustRun({"x509", "-req", "-in", request, "-CA", rootCert_, "-CAkey", rootKey_, "-set_serial",
             "2", "-days", "30", "-extfile", file("issuing.ext"), "-out", issuingCert_});
}

std::string TestPki::next(const std::string& suffix) {
    return file("f" + std::to_string(++counter_) + suffix);
}

std::string TestPki::newRequest(const std::string& subject, std::string& keyPath) {
    keyPath = next(".key");
    const std::string request = next(".csr");
    mustRun({"req", "-utf8", "-newkey", "rsa:2048", "-nodes", "-keyout", keyPath, "-out", request,
             "-subj", subject});
    return request;
}

std::string TestPki::issue(const std::string& requestPath, const std::string& serial,
                           const std::string& extensions) {
    const std::string cert = next(".pem");
    std::vector<std::string> args{"x509",       "-req",   "-in",       requestPath,   "-CA",
                                  issuingCert_, "-CAkey", issuingKey_, "-set_serial", serial,
                                  "-days",      "10",     "-out",      cert};
    if (!extensions.empty()) {
        const std::string ext = next(".ext");
        OpensslTool::writeFile(ext, extensions);
        args.insert(args.end(), {"-extfile", ext});
    }
    mustRun(args);
    return cert;
}

std::string TestPki::issueFromText(const std::string& requestPem, const std::string& serial) {
    const std::string request = next(".csr");
    OpensslTool::writeFile(request, requestPem);
    return issue(request, serial);
}

std::string TestPki::certBase64(const std::string& certPath) {
    const std::string der = next(".der");
    mustRun({"x509", "-in", certPath, "-outform", "DER", "-out", der});
    return oneLine(mustRun({"base64", "-A", "-in", der}));
}

std::string TestPki::bundleBase64(const std::vector<std::string>& certPaths) {
    const std::string der = next(".p7b");
    std::vector<std::string> args{"crl2pkcs7", "-nocrl", "-outform", "DER", "-out", der};
    for (const auto& path : certPaths) args.insert(args.end(), {"-certfile", path});
    mustRun(args);
    return oneLine(mustRun({"base64", "-A", "-in", der}));
}

std::string TestPki::concat(const std::vector<std::string>& paths) {
    std::string text;
    for (const auto& path : paths) {
        auto bytes = OpensslTool::readFile(path);
        text.append(bytes.begin(), bytes.end());
    }
    const std::string out = next(".pem");
    OpensslTool::writeFile(out, text);
    return out;
}
