#include "support/TestRsaKey.h"

#include <stdexcept>

#include "support/OpensslTool.h"

TestRsaKey::TestRsaKey() : privateKeyFile_(dir_.file("service.key")) {
    const std::string pub = dir_.file("service.pub");
    if (!OpensslTool::run({"genpkey", "-algorithm", "RSA", "-pkeyopt", "rsa_keygen_bits:2048",
                           "-out", privateKeyFile_}) ||
        !OpensslTool::run({"pkey", "-in", privateKeyFile_, "-pubout", "-out", pub})) {
        throw std::runtime_error("cannot make the test RSA key");
    }
    auto pem = OpensslTool::readFile(pub);
    publicKeyPem_.assign(pem.begin(), pem.end());
}

std::string TestRsaKey::decryptRequestValue(const std::string& base64) const {
    const std::string in = dir_.file("value.b64");
    OpensslTool::writeFile(in, base64 + "\n");
    const std::string bin = dir_.file("value.bin");
    if (!OpensslTool::run({"base64", "-d", "-A", "-in", in, "-out", bin})) return "";
    auto out = OpensslTool::run({"pkeyutl", "-decrypt", "-inkey", privateKeyFile_, "-pkeyopt",
                                 "rsa_padding_mode:pkcs1", "-in", bin});
    return out.value_or("");
}

std::string TestRsaKey::signAnswer(const std::string& plain) const {
    std::string blocks;
    for (std::size_t offset = 0; offset < plain.size(); offset += 245) {
        const std::string piece = dir_.file("piece");
        const std::string block = dir_.file("block");
        OpensslTool::writeFile(piece, plain.substr(offset, 245));
        // rsautl, not pkeyutl: OpenSSL 3's pkeyutl will not sign raw input over 64 bytes.
        if (!OpensslTool::run({"rsautl", "-sign", "-pkcs", "-inkey", privateKeyFile_, "-in", piece,
                               "-out", block})) {
            throw std::runtime_error("openssl rsautl -sign failed");
        }
        auto bytes = OpensslTool::readFile(block);
        blocks.append(bytes.begin(), bytes.end());
    }
    const std::string all = dir_.file("blocks");
    OpensslTool::writeFile(all, blocks);
    auto b64 = OpensslTool::run({"base64", "-A", "-in", all});
    if (!b64) throw std::runtime_error("openssl base64 failed");
    while (!b64->empty() && (b64->back() == '\n' || b64->back() == '\r')) b64->pop_back();
    return *b64;
}
