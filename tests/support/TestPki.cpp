#include "support/TestPki.h"

#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "support/OpensslTool.h"

namespace {

std::string mustRun(const std::vector<std::string>& args) {
    auto out = OpensslTool::run(args);
    if (!out) throw std::runtime_error("openssl " + args.front() + " failed");
    return *out;
}

// A PEM block's base64 on one line: the DER it armours.
std::string pemBody(const std::string& pem) {
    std::string body;
    std::istringstream lines(pem);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("-----", 0) != 0) body += line;
    }
    return body;
}

}  // namespace

TestPki::TestPki(const std::string& prefix)
    : rootKey_(file("root.key")),
      rootCert_(file("root.pem")),
      issuingKey_(file("issuing.key")),
      issuingCert_(file("issuing.pem")) {
    const std::vector<std::string> ca{"req",      "-x509",   "-newkey",
                                      "rsa:2048", "-nodes",  "-days",
                                      "30",       "-addext", "basicConstraints=critical,CA:TRUE"};
    auto make = [&](std::vector<std::string> args) {
        args.insert(args.begin(), ca.begin(), ca.end());
        mustRun(args);
    };
    make({"-keyout", rootKey_, "-out", rootCert_, "-subj",
          "/CN=" + prefix + " Root CA/O=Test Bank/C=TW", "-addext",
          "keyUsage=critical,keyCertSign"});
    make({"-keyout", issuingKey_, "-out", issuingCert_, "-subj",
          "/CN=" + prefix + " Issuing CA/O=Test Bank/C=TW", "-addext",
          "keyUsage=critical,keyCertSign,digitalSignature", "-CA", rootCert_, "-CAkey", rootKey_,
          "-set_serial", "2"});
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

std::string TestPki::issueStartingAt(const std::string& requestPath, const std::string& serial,
                                     const std::string& notBefore) {
    // Only the ca command takes a start date; it wants a database and a serial file.
    const std::string ca = next(".ca"), cert = next(".pem"), ext = next(".ext");
    std::filesystem::create_directory(ca);
    OpensslTool::writeFile(ca + "/index.txt", "");
    OpensslTool::writeFile(ca + "/serial", serial.substr(serial.rfind('x') + 1) + "\n");
    OpensslTool::writeFile(ca + "/ca.cnf",
                           "[ca]\ndefault_ca = issuing\n[issuing]\ndatabase = " + ca +
                               "/index.txt\nnew_certs_dir = " + ca + "\nserial = " + ca +
                               "/serial\ndefault_md = sha256\npolicy = any\n"
                               "unique_subject = no\n[any]\ncommonName = supplied\n");
    OpensslTool::writeFile(ext, "basicConstraints=CA:FALSE\n");
    mustRun({"ca",         "-batch",   "-config",   ca + "/ca.cnf", "-cert",
             issuingCert_, "-keyfile", issuingKey_, "-in",          requestPath,
             "-out",       cert,       "-notext",   "-preserveDN",  "-startdate",
             notBefore,    "-days",    "10",        "-extfile",     ext});
    return cert;
}

std::string TestPki::certBase64(const std::string& certPath) {
    return pemBody(OpensslTool::readText(certPath));
}

std::string TestPki::bundleBase64(const std::vector<std::string>& certPaths) {
    std::vector<std::string> args{"crl2pkcs7", "-nocrl"};
    for (const auto& path : certPaths) args.insert(args.end(), {"-certfile", path});
    return pemBody(mustRun(args));
}

std::string TestPki::concat(const std::vector<std::string>& paths) {
    std::string text;
    for (const auto& path : paths) text += OpensslTool::readText(path);
    const std::string out = next(".pem");
    OpensslTool::writeFile(out, text);
    return out;
}

std::string TestPki::pkcs12(const std::string& certPath, const std::string& keyPath,
                            const std::string& password, const std::vector<std::string>& options) {
    const std::string out = next(".pfx");
    std::vector<std::string> args{
        "pkcs12",           "-export", "-in", certPath,    "-passout",
        "pass:" + password, "-out",    out,   "-certfile", concat({issuingCert_, rootCert_})};
    if (keyPath.empty()) {
        args.push_back("-nokeys");
    } else {
        args.insert(args.end(), {"-inkey", keyPath});
    }
    args.insert(args.end(), options.begin(), options.end());
    mustRun(args);
    return out;
}
