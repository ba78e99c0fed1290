#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>

#include "crypto/OpenSslProviders.h"
#include "crypto/RSAUtility.h"
#include "crypto/ossl.h"
#include "util/TextCodec.h"

namespace {

constexpr std::size_t kRsaBlock = 256;  // the service key's modulus; fixed by the protocol
constexpr std::size_t kAesKeyBytes = 16;
constexpr unsigned char kAesIv[] = "5820931746028531";

Bytes toBytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

// One AES-128-CBC pass with the fixed IV; false on any failure, padding errors included.
bool aesCbc(bool encrypt, const Bytes& key, const Bytes& in, Bytes& out) {
    if (key.size() < kAesKeyBytes || in.empty()) return false;
    ossl::CipherCtx ctx(EVP_CIPHER_CTX_new());
    if (!ctx) return false;
    Bytes buffer(in.size() + 16);
    int n = 0;
    int tail = 0;
    bool ok = EVP_CipherInit_ex(ctx.get(), EVP_aes_128_cbc(), nullptr, key.data(), kAesIv,
                                encrypt ? 1 : 0) == 1 &&
              EVP_CipherUpdate(ctx.get(), buffer.data(), &n, in.data(),
                               static_cast<int>(in.size())) == 1 &&
              EVP_CipherFinal_ex(ctx.get(), buffer.data() + n, &tail) == 1;
    if (!ok) {
        ERR_clear_error();
        return false;
    }
    buffer.resize(static_cast<std::size_t>(n + tail));
    if (buffer.empty()) return false;
    out = std::move(buffer);
    return true;
}

}  // namespace

std::shared_ptr<EVP_PKEY> RSAUtility::readServiceKey(const std::string& pem) {
    OpenSslProviders::load();
    ossl::Bio bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
    if (!bio) return nullptr;
    ossl::Pkey key(PEM_read_bio_PUBKEY(bio.get(), nullptr, nullptr, nullptr));
    if (!key) ERR_clear_error();
    return key;
}

int RSAUtility::encryptWithPublicKey(const Bytes& dataIn, Bytes& dataOut) const {
    if (dataIn.empty()) return 1;
    if (!serviceKey_) return 1;
    ossl::PkeyCtx ctx(EVP_PKEY_CTX_new_from_pkey(nullptr, serviceKey_.get(), nullptr));
    std::size_t length = 0;
    if (!ctx || EVP_PKEY_encrypt_init(ctx.get()) != 1 ||
        EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) != 1 ||
        EVP_PKEY_encrypt(ctx.get(), nullptr, &length, dataIn.data(), dataIn.size()) != 1) {
        ERR_clear_error();
        return 1;
    }
    Bytes out(length);
    if (EVP_PKEY_encrypt(ctx.get(), out.data(), &length, dataIn.data(), dataIn.size()) != 1) {
        ERR_clear_error();  // a value over 245 bytes ends here
        return 1;
    }
    out.resize(length);
    dataOut = std::move(out);
    return 0;
}

std::string RSAUtility::encryptAndB64WithPublicKey(std::string_view text) const {
    if (text.empty()) return "";
    Bytes cipherText;
    if (encryptWithPublicKey(toBytes(text), cipherText) != 0) return "";
    return util_.base64Encode(cipherText);
}

int RSAUtility::decryptWithPublicKey(const Bytes& dataIn, Bytes& dataOut) const {
    if (dataIn.empty()) return 1;
    if (!serviceKey_) return 1;
    ossl::PkeyCtx ctx(EVP_PKEY_CTX_new_from_pkey(nullptr, serviceKey_.get(), nullptr));
    if (!ctx || EVP_PKEY_verify_recover_init(ctx.get()) != 1 ||
        EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) != 1) {
        ERR_clear_error();
        return 1;
    }
    Bytes plain;
    for (std::size_t offset = 0; offset < dataIn.size(); offset += kRsaBlock) {
        const std::size_t size = std::min(kRsaBlock, dataIn.size() - offset);
        Bytes block(kRsaBlock);
        std::size_t length = block.size();
        if (EVP_PKEY_verify_recover(ctx.get(), block.data(), &length, dataIn.data() + offset,
                                    size) != 1) {
            ERR_clear_error();  // a block that does not open is left out; the rest may
            continue;
        }
        plain.insert(plain.end(), block.begin(), block.begin() + static_cast<long>(length));
    }
    if (plain.empty()) return 1;
    dataOut = std::move(plain);
    return 0;
}

std::optional<Bytes> RSAUtility::decryptWithPublicKey(const Bytes& dataIn) const {
    Bytes out;
    if (decryptWithPublicKey(dataIn, out) != 0) return std::nullopt;
    return out;
}

int RSAUtility::encryptWithAes(const Bytes& aesKey, const Bytes& dataIn, Bytes& dataOut) const {
    return aesCbc(true, aesKey, dataIn, dataOut) ? 0 : 1;
}

std::string RSAUtility::encryptAndB64WithAes(const Bytes& aesKey, std::string_view text) const {
    Bytes cipherText;
    if (encryptWithAes(aesKey, toBytes(text), cipherText) != 0) return "";
    return util_.base64Encode(cipherText);
}

int RSAUtility::decryptWithAes(const Bytes& aesKey, const Bytes& dataIn, Bytes& dataOut) const {
    return aesCbc(false, aesKey, dataIn, dataOut) ? 0 : 1;
}

std::optional<Bytes> RSAUtility::decryptWithAes(const Bytes& aesKey, const Bytes& dataIn) const {
    Bytes out;
    if (decryptWithAes(aesKey, dataIn, out) != 0) return std::nullopt;
    return out;
}

template <typename Encrypt, typename Decrypt>
int RSAUtility::envelopedPost(const std::string& url, const StringMap& postParams,
                              std::optional<std::string>& dataOut, Encrypt encrypt,
                              Decrypt decrypt) const {
    StringMap enveloped;
    for (const auto& [name, value] : postParams) {
        enveloped[name] = value.empty() ? "" : encrypt(value);
    }
    std::optional<std::string> answer;
    const int result = util_.httpPost(url, enveloped, answer);
    if (!answer || answer->empty()) return result;
    auto cipherText = util_.base64Decode(*answer);
    if (!cipherText || cipherText->empty()) return result;
    auto plain = decrypt(*cipherText);
    if (!plain) return result;
    auto text = TextCodec::big5ToUtf8(*plain);
    if (!text) return result;
    dataOut = std::move(text);
    return result;
}

int RSAUtility::httpPubKeyEncPost(const std::string& url, const StringMap& postParams,
                                  std::optional<std::string>& dataOut) const {
    return envelopedPost(
        url, postParams, dataOut,
        [this](const std::string& value) { return encryptAndB64WithPublicKey(value); },
        [this](const Bytes& data) { return decryptWithPublicKey(data); });
}

int RSAUtility::httpAesEncPost(const std::string& url, const Bytes& aesKey,
                               const StringMap& postParams,
                               std::optional<std::string>& dataOut) const {
    if (aesKey.size() < kAesKeyBytes) return 1;  // nothing could be encrypted: nothing is sent
    return envelopedPost(
        url, postParams, dataOut,
        [&](const std::string& value) { return encryptAndB64WithAes(aesKey, value); },
        [&](const Bytes& data) { return decryptWithAes(aesKey, data); });
}
