#include <openssl/err.h>
#include <openssl/evp.h>

#include "crypto/ossl.h"
#include "util/CommonUtility.h"
#include "util/TextCodec.h"

namespace {

// Compiled-in key material; the cipher key is the MD5 of these characters as text.
constexpr std::string_view kKeyMaterial = "4B2F9A0C71D35E86A4C0193B7E5D2F68";
constexpr std::size_t kMaxCipherText = 4096;

// Two-key triple DES (K1, K2, K1) from the MD5 digest, as a three-key cipher's 24 bytes.
std::optional<Bytes> cipherKey() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(kKeyMaterial.data(), kKeyMaterial.size(), digest, &length, EVP_md5(), nullptr) !=
            1 ||
        length != 16) {
        return std::nullopt;
    }
    Bytes key(digest, digest + 16);
    key.insert(key.end(), digest, digest + 8);
    return key;
}

// The store's own base64 reading: line ends are skipped, anything else outside the
// alphabet fails.
std::string withoutLineBreaks(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') continue;
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    return out;
}

// Line ends as the store reads them: LF, VT, FF, CR, NEL, LINE and PARAGRAPH SEPARATOR.
std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        std::size_t skip = 0;
        if (c >= 0x0a && c <= 0x0d) {
            skip = 1;
        } else if (c == 0xc2 && i + 1 < text.size() && (unsigned char)text[i + 1] == 0x85) {
            skip = 2;
        } else if (c == 0xe2 && text.compare(i, 3, "\xe2\x80\xa8") == 0) {
            skip = 3;
        } else if (c == 0xe2 && text.compare(i, 3, "\xe2\x80\xa9") == 0) {
            skip = 3;
        }
        if (skip == 0) {
            line += text[i];
            continue;
        }
        lines.push_back(std::move(line));
        line.clear();
        i += skip - 1;
    }
    lines.push_back(std::move(line));
    return lines;
}

// Whether the text holds a character at which the reader would start a new line. Such a value
// would add lines, possibly for another user, to the store.
bool breaksLines(const std::string& text) {
    auto lines = splitLines(text);
    return lines.size() != 1;
}

// An ID number as the log may show it: first and last characters only. It is the default
// PFX password and the password of the browser's PKCS#12 form.
std::string masked(const std::string& idno) {
    if (idno.size() <= 2) return std::string(idno.size(), '*');
    return idno.front() + std::string(idno.size() - 2, '*') + idno.back();
}

std::string maskedIn(std::string text, const std::string& idno) {
    if (idno.empty()) return text;
    const std::string mask = masked(idno);
    for (auto at = text.find(idno); at != std::string::npos;
         at = text.find(idno, at + mask.size())) {
        text.replace(at, idno.size(), mask);
    }
    return text;
}

std::vector<std::string> splitAll(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        auto found = text.find(separator, start);
        parts.push_back(text.substr(start, found == std::string::npos ? found : found - start));
        if (found == std::string::npos) return parts;
        start = found + separator.size();
    }
}

}  // namespace

std::string CommonUtility::maskIdNumber(const std::string& idno) {
    return masked(idno);
}

std::string CommonUtility::maskIdNumberIn(const std::string& text, const std::string& idno) {
    return maskedIn(text, idno);
}

std::string CommonUtility::getPropertiesPath() const {
    return getUserHomePath() + "/NorvaleCertApplet.Properties";
}

std::optional<StringMap> CommonUtility::propertiesFileToDictionary(const std::string& path) const {
    auto text = getFileAsStr(path);
    if (!text) return std::nullopt;
    StringMap dictionary;
    for (const auto& line : splitLines(*text)) {
        if (line.empty()) continue;
        std::vector<std::string> parts;
        std::string key;
        const auto eq = line.find('=');
        if (eq != std::string::npos && eq >= 12 && line.compare(eq - 12, 12, "_PfxFileName") == 0) {
            // A path may hold "=": everything after the key's own "=" is the path. Split at
            // every "=", such a customer's file would be forgotten at each start.
            key = line.substr(0, eq);
            parts = {key, line.substr(eq + 1)};
        } else if (line.find("_PfxFileName") != std::string::npos) {
            parts = splitAll(line, "=");
            key = parts.front();
        } else if (line.find("_Password") != std::string::npos) {
            // Split at "_Password=" so the "=" padding of the base64 value survives.
            parts = splitAll(line, "_Password=");
            key = parts.front() + "_Password";
        } else {
            parts = splitAll(line, "=");
            key = parts.front();
        }
        if (parts.size() == 2) dictionary[key] = parts[1];
    }
    if (dictionary.empty()) return std::nullopt;
    return dictionary;
}

bool CommonUtility::dictionaryToPropertiesFile(const StringMap& dictionary,
                                               const std::string& filepath) const {
    std::string text;
    for (const auto& [key, value] : dictionary) {
        if (breaksLines(key) || breaksLines(value)) {
            log("properties not written: a line break in an entry");
            return false;
        }
        text += key + "=" + value + "\n";
    }
    return writeAtomically(filepath, Bytes(text.begin(), text.end()));
}

bool CommonUtility::saveToProperties(const std::string& idno, const std::string& pfxPath,
                                     const std::string& password) const {
    log("save to properties idno=" + masked(idno) + " pfxPath=" + maskedIn(pfxPath, idno));
    auto dictionary = propertiesFileToDictionary(getPropertiesPath()).value_or(StringMap{});
    const std::string encrypted = des3cbcEncrypt(password);
    // The encrypted password is as good as the password itself: the key is in the binary.
    log("b64result= (withheld)");
    dictionary[idno + "_Password"] = encrypted;
    dictionary[idno + "_PfxFileName"] = pfxPath;
    return dictionaryToPropertiesFile(dictionary, getPropertiesPath());
}

bool CommonUtility::loadFromProperties(const std::string& idno, std::string& pfxPath,
                                       std::string& password) const {
    auto dictionary = propertiesFileToDictionary(getPropertiesPath());
    if (!dictionary) return false;
    auto stored = dictionary->find(idno + "_Password");
    if (stored == dictionary->end()) return false;
    auto cipherText = base64Decode(withoutLineBreaks(stored->second));
    if (!cipherText) return false;
    auto plain = des3cbcDecrypt(*cipherText);
    if (!plain) return false;
    auto path = dictionary->find(idno + "_PfxFileName");
    pfxPath = path == dictionary->end() ? "" : path->second;
    password = std::move(*plain);
    return true;
}

std::string CommonUtility::des3cbcEncrypt(std::string_view plainText) const {
    auto key = cipherKey();
    ossl::CipherCtx ctx(EVP_CIPHER_CTX_new());
    if (!key || !ctx) return "";
    const unsigned char iv[8] = {};
    Bytes out(plainText.size() + 8);
    int n = 0;
    int tail = 0;
    if (EVP_EncryptInit_ex(ctx.get(), EVP_des_ede3_cbc(), nullptr, key->data(), iv) != 1 ||
        EVP_EncryptUpdate(ctx.get(), out.data(), &n,
                          reinterpret_cast<const unsigned char*>(plainText.data()),
                          static_cast<int>(plainText.size())) != 1 ||
        EVP_EncryptFinal_ex(ctx.get(), out.data() + n, &tail) != 1) {
        ERR_clear_error();
        return "";
    }
    out.resize(static_cast<std::size_t>(n + tail));
    return base64Encode(out);
}

std::optional<std::string> CommonUtility::des3cbcDecrypt(const Bytes& cipherText) const {
    auto key = cipherKey();
    int code = 0;
    if (!key) {
        code = -1;
    } else if (cipherText.empty()) {
        code = -3;
    } else if (cipherText.size() % 8 != 0) {
        code = -4;
    } else if (cipherText.size() > kMaxCipherText) {
        code = -5;
    }
    Bytes plain(cipherText.size() + 8);
    if (code == 0) {
        ossl::CipherCtx ctx(EVP_CIPHER_CTX_new());
        const unsigned char iv[8] = {};
        int n = 0;
        int tail = 0;
        if (!ctx ||
            EVP_DecryptInit_ex(ctx.get(), EVP_des_ede3_cbc(), nullptr, key->data(), iv) != 1 ||
            EVP_CIPHER_CTX_set_padding(ctx.get(), 0) != 1 ||
            EVP_DecryptUpdate(ctx.get(), plain.data(), &n, cipherText.data(),
                              static_cast<int>(cipherText.size())) != 1 ||
            EVP_DecryptFinal_ex(ctx.get(), plain.data() + n, &tail) != 1) {
            ERR_clear_error();
            code = -1;
        } else {
            plain.resize(static_cast<std::size_t>(n + tail));
            const unsigned char pad = plain.back();
            if (pad > 8) {
                code = -6;
            } else if (pad > 0) {
                for (std::size_t i = plain.size() - pad; i < plain.size(); ++i) {
                    if (plain[i] != pad) code = -7;
                }
                if (code == 0) plain.resize(plain.size() - pad);
            }
        }
    }
    log("erorCode=" + std::to_string(code));
    // A value that failed to decrypt is no password at all, never a guess.
    if (code != 0) return std::nullopt;
    std::string text(plain.begin(), plain.end());
    if (!TextCodec::isValidUtf8(text)) return std::nullopt;
    return text;
}
