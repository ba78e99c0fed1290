#include "ServiceEnvelope.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>

#include <cstdio>

#include "Codec.h"

namespace {

const unsigned char kIv[] = "5820931746028531";
constexpr std::size_t kPiece = 245;

std::optional<std::string> aes(bool encrypt, const std::string& sessionKey, const std::string& in) {
    if (sessionKey.size() < 16 || in.empty()) return std::nullopt;
    ssl::CipherCtx ctx(EVP_CIPHER_CTX_new());
    std::string out(in.size() + 32, '\0');
    int n = 0, tail = 0;
    auto* o = reinterpret_cast<unsigned char*>(out.data());
    if (!ctx ||
        EVP_CipherInit_ex(ctx.get(), EVP_aes_128_cbc(), nullptr,
                          reinterpret_cast<const unsigned char*>(sessionKey.data()), kIv,
                          encrypt ? 1 : 0) != 1 ||
        EVP_CipherUpdate(ctx.get(), o, &n, reinterpret_cast<const unsigned char*>(in.data()),
                         static_cast<int>(in.size())) != 1 ||
        EVP_CipherFinal_ex(ctx.get(), o + n, &tail) != 1) {
        ERR_clear_error();
        return std::nullopt;
    }
    out.resize(static_cast<std::size_t>(n + tail));
    return out;
}

}  // namespace

std::optional<ServiceEnvelope> ServiceEnvelope::load(const std::string& privateKeyPath) {
    FILE* file = std::fopen(privateKeyPath.c_str(), "rb");
    if (file == nullptr) return std::nullopt;
    ssl::Pkey key(PEM_read_PrivateKey(file, nullptr, nullptr, nullptr));
    std::fclose(file);
    if (!key || EVP_PKEY_get_size(key.get()) != 256) return std::nullopt;
    return ServiceEnvelope(std::move(key));
}

std::optional<std::string> ServiceEnvelope::openPublic(const std::string& b64) const {
    auto cipherText = codec::unbase64(b64);
    if (!cipherText || cipherText->size() != 256) return std::nullopt;
    ssl::PkeyCtx ctx(EVP_PKEY_CTX_new(key_.get(), nullptr));
    std::size_t length = 256;
    std::string out(length, '\0');
    if (!ctx || EVP_PKEY_decrypt_init(ctx.get()) != 1 ||
        EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) != 1 ||
        EVP_PKEY_decrypt(ctx.get(), reinterpret_cast<unsigned char*>(out.data()), &length,
                         reinterpret_cast<const unsigned char*>(cipherText->data()),
                         cipherText->size()) != 1) {
        ERR_clear_error();
        return std::nullopt;
    }
    out.resize(length);
    return out;
}

std::optional<std::string> ServiceEnvelope::sealPublic(const std::string& plain) const {
    std::string blocks;
    for (std::size_t offset = 0; offset < plain.size(); offset += kPiece) {
        const std::string piece = plain.substr(offset, kPiece);
        ssl::PkeyCtx ctx(EVP_PKEY_CTX_new(key_.get(), nullptr));
        std::size_t length = 256;
        std::string block(length, '\0');
        // A raw private-key operation with block type 1, as a signature without a digest.
        if (!ctx || EVP_PKEY_sign_init(ctx.get()) != 1 ||
            EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) != 1 ||
            EVP_PKEY_sign(ctx.get(), reinterpret_cast<unsigned char*>(block.data()), &length,
                          reinterpret_cast<const unsigned char*>(piece.data()),
                          piece.size()) != 1) {
            ERR_clear_error();
            return std::nullopt;
        }
        blocks += block.substr(0, length);
    }
    return codec::base64(blocks);
}

std::optional<std::string> ServiceEnvelope::openSession(const std::string& sessionKey,
                                                        const std::string& b64) {
    auto cipherText = codec::unbase64(b64);
    if (!cipherText) return std::nullopt;
    return aes(false, sessionKey, *cipherText);
}

std::optional<std::string> ServiceEnvelope::sealSession(const std::string& sessionKey,
                                                        const std::string& plain) {
    auto cipherText = aes(true, sessionKey, plain);
    if (!cipherText) return std::nullopt;
    return codec::base64(*cipherText);
}
