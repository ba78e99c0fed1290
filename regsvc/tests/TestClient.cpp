#include "TestClient.h"

#include <httplib.h>
#include <iconv.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>

#include <regex>
#include <vector>

#include "Codec.h"
#include "Ssl.h"

namespace {

const unsigned char kIv[] = "5820931746028531";

ssl::Pkey publicKey(const std::string& pem) {
    ssl::Bio bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
    return ssl::Pkey(PEM_read_bio_PUBKEY(bio.get(), nullptr, nullptr, nullptr));
}

std::string rsaEncrypt(EVP_PKEY* key, const std::string& value) {
    ssl::PkeyCtx ctx(EVP_PKEY_CTX_new(key, nullptr));
    std::size_t length = 256;
    std::string out(length, '\0');
    EVP_PKEY_encrypt_init(ctx.get());
    EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING);
    EVP_PKEY_encrypt(ctx.get(), reinterpret_cast<unsigned char*>(out.data()), &length,
                     reinterpret_cast<const unsigned char*>(value.data()), value.size());
    return codec::base64(out.substr(0, length));
}

std::optional<std::string> rsaOpen(EVP_PKEY* key, const std::string& blocks) {
    std::string plain;
    for (std::size_t offset = 0; offset < blocks.size(); offset += 256) {
        ssl::PkeyCtx ctx(EVP_PKEY_CTX_new(key, nullptr));
        std::size_t length = 256;
        std::string out(length, '\0');
        const std::string block = blocks.substr(offset, 256);
        if (EVP_PKEY_verify_recover_init(ctx.get()) != 1 ||
            EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) != 1 ||
            EVP_PKEY_verify_recover(ctx.get(), reinterpret_cast<unsigned char*>(out.data()),
                                    &length, reinterpret_cast<const unsigned char*>(block.data()),
                                    block.size()) != 1) {
            ERR_clear_error();
            return std::nullopt;
        }
        plain += out.substr(0, length);
    }
    return plain;
}

std::optional<std::string> aes(bool encrypt, const std::string& key, const std::string& in) {
    ssl::CipherCtx ctx(EVP_CIPHER_CTX_new());
    std::string out(in.size() + 32, '\0');
    int n = 0, tail = 0;
    auto* o = reinterpret_cast<unsigned char*>(out.data());
    if (EVP_CipherInit_ex(ctx.get(), EVP_aes_128_cbc(), nullptr,
                          reinterpret_cast<const unsigned char*>(key.data()), kIv, encrypt) != 1 ||
        EVP_CipherUpdate(ctx.get(), o, &n, reinterpret_cast<const unsigned char*>(in.data()),
                         static_cast<int>(in.size())) != 1 ||
        EVP_CipherFinal_ex(ctx.get(), o + n, &tail) != 1) {
        ERR_clear_error();
        return std::nullopt;
    }
    out.resize(static_cast<std::size_t>(n + tail));
    return out;
}

std::string big5ToUtf8(const std::string& big5) {
    iconv_t cd = iconv_open("UTF-8", "BIG5");
    std::vector<char> out(big5.size() * 3 + 16);
    char* in = const_cast<char*>(big5.data());
    size_t inLeft = big5.size(), outLeft = out.size();
    char* dst = out.data();
    iconv(cd, &in, &inLeft, &dst, &outLeft);
    iconv_close(cd);
    return std::string(out.data(), out.size() - outLeft);
}

TestClient::Leaves leavesOf(const std::string& xml) {
    TestClient::Leaves leaves;
    static const std::regex leaf(R"(<([A-Za-z][\w.]*)>([^<]*)</\1>)");
    for (std::sregex_iterator it(xml.begin(), xml.end(), leaf), end; it != end; ++it) {
        leaves[(*it)[1]] = (*it)[2];
    }
    if (xml.find("<Root>") == std::string::npos) leaves.clear();
    return leaves;
}

}  // namespace

std::optional<std::string> TestClient::post(const std::string& url, const Params& form) {
    httplib::SSLClient client("127.0.0.1", service_.port());
    client.set_ca_cert_path(RegsvcProcess::demoFile("demo-tls-ca.pem").c_str());
    client.enable_server_certificate_verification(true);
    client.set_read_timeout(10, 0);
    httplib::Params params(form.begin(), form.end());
    auto result = client.Post(url.substr(service_.baseUrl().size()).c_str(), params);
    lastStatus_ = result ? result->status : 0;
    if (!result || result->status != 200) return std::nullopt;
    return result->body;
}

std::optional<TestClient::Leaves> TestClient::callPublic(const std::string& action,
                                                         const Params& params, bool futures,
                                                         bool sessionAddress) {
    auto key = publicKey(service_.servicePublicKeyPem());
    Params enveloped;
    for (const auto& [name, value] : params) {
        enveloped[name] = value.empty() ? "" : rsaEncrypt(key.get(), value);
    }
    std::string url = futures ? service_.futuresBase() : service_.stockBase();
    if (sessionAddress) url += "SID:" + sessionId_ + "/";
    auto body = post(url + action, enveloped);
    auto blocks = body ? codec::unbase64(*body) : std::nullopt;
    auto plain = blocks ? rsaOpen(key.get(), *blocks) : std::nullopt;
    if (!plain) return std::nullopt;
    return leavesOf(big5ToUtf8(*plain));
}

std::optional<TestClient::Leaves> TestClient::callSession(const std::string& action,
                                                          const Params& params) {
    const std::string key = aesKey_.substr(0, 16);
    Params enveloped;
    for (const auto& [name, value] : params) {
        enveloped[name] = value.empty() ? "" : codec::base64(*aes(true, key, value));
    }
    const std::string url = (futures_ ? service_.futuresBase() : service_.stockBase()) +
                            "SID:" + sessionId_ + "/" + action;
    auto body = post(url, enveloped);
    auto cipherText = body ? codec::unbase64(*body) : std::nullopt;
    auto plain = cipherText ? aes(false, key, *cipherText) : std::nullopt;
    if (!plain) return std::nullopt;
    return leavesOf(big5ToUtf8(*plain));
}

TestClient::Leaves TestClient::login(const std::string& id, const std::string& password,
                                     bool futures) {
    auto answer = callPublic("doLogin", {{"id", id}, {"pwd", password}}, futures);
    if (!answer) return {};
    if ((*answer)["rtnCode"] == "0") {
        sessionId_ = (*answer)["sessionId"];
        aesKey_ = (*answer)["aeskey"];
        futures_ = futures;
    }
    return *answer;
}
