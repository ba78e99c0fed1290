#include <openssl/evp.h>

#include <array>

#include "util/CommonUtility.h"

namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::array<int, 256> decodeTable() {
    std::array<int, 256> table{};
    table.fill(-1);
    for (std::size_t i = 0; i < kAlphabet.size(); ++i) {
        table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<int>(i);
    }
    return table;
}

}  // namespace

std::string CommonUtility::hexEncode(const Bytes& data) const {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(data.size() * 2);
    for (unsigned char byte : data) {
        out += digits[byte >> 4];
        out += digits[byte & 0x0f];
    }
    return out;
}

std::string CommonUtility::base64Encode(const Bytes& data) const {
    std::string out(4 * ((data.size() + 2) / 3), '\0');
    if (data.empty()) return out;
    int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), data.data(),
                            static_cast<int>(data.size()));
    out.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
    return out;
}

std::string CommonUtility::base64Encode(std::string_view text) const {
    return base64Encode(Bytes(text.begin(), text.end()));
}

// Strict RFC 4648: whole quanta, "=" only as the final padding, nothing outside the alphabet.
std::optional<Bytes> CommonUtility::base64Decode(std::string_view text) const {
    static const auto table = decodeTable();
    if (text.size() % 4 != 0) return std::nullopt;
    std::size_t padding = 0;
    if (!text.empty() && text.back() == '=') ++padding;
    if (text.size() >= 2 && text[text.size() - 2] == '=') ++padding;
    Bytes out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        int v[4];
        for (int k = 0; k < 4; ++k) {
            const char c = text[i + k];
            const bool isPad = last && k >= 4 - static_cast<int>(padding);
            v[k] = isPad ? 0 : table[static_cast<unsigned char>(c)];
            if (v[k] < 0) return std::nullopt;
        }
        const unsigned triple = (v[0] << 18) | (v[1] << 12) | (v[2] << 6) | v[3];
        out.push_back(static_cast<unsigned char>(triple >> 16));
        if (!last || padding < 2) out.push_back(static_cast<unsigned char>(triple >> 8));
        if (!last || padding < 1) out.push_back(static_cast<unsigned char>(triple));
    }
    return out;
}
