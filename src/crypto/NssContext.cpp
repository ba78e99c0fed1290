#include "crypto/NssContext.h"

#include <ciferfam.h>
#include <p12plcy.h>

nss::Context NssContext::open() {
    nss::Context context(NSS_InitContext("", "", "", "", nullptr,
                                         NSS_INIT_READONLY | NSS_INIT_NOCERTDB | NSS_INIT_NOMODDB |
                                             NSS_INIT_FORCEOPEN | NSS_INIT_NOROOTINIT |
                                             NSS_INIT_OPTIMIZESPACE));
    if (!context) return nullptr;
    for (long cipher :
         {PKCS12_RC2_CBC_40, PKCS12_RC2_CBC_128, PKCS12_RC4_40, PKCS12_RC4_128, PKCS12_DES_56,
          PKCS12_DES_EDE3_168, PKCS12_AES_CBC_128, PKCS12_AES_CBC_192, PKCS12_AES_CBC_256}) {
        (void)SEC_PKCS12EnableCipher(cipher, 1);
    }
    return context;
}

NSSInitContext* NssContext::shared() {
    static const nss::Context context = open();
    return context.get();
}

std::optional<Bytes> NssContext::bmpPassword(const std::string& utf8) {
    Bytes out;
    out.reserve(utf8.size() * 2 + 2);
    auto put = [&out](unsigned unit) {
        out.push_back(static_cast<unsigned char>(unit >> 8));
        out.push_back(static_cast<unsigned char>(unit & 0xff));
    };
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t extra = lead < 0x80           ? 0
                                  : (lead >> 5) == 0x06 ? 1
                                  : (lead >> 4) == 0x0e ? 2
                                  : (lead >> 3) == 0x1e ? 3
                                                        : 4;
        if (extra == 4 || i + extra >= utf8.size()) return std::nullopt;
        unsigned code = extra == 0 ? lead : lead & (0x3fu >> extra);
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xc0) != 0x80) return std::nullopt;
            code = (code << 6) | (next & 0x3f);
        }
        if (code > 0x10ffff) return std::nullopt;
        i += extra + 1;
        if (code >= 0x10000) {
            code -= 0x10000;
            put(0xd800 + (code >> 10));
            put(0xdc00 + (code & 0x3ff));
        } else {
            put(code);
        }
    }
    put(0);
    return out;
}
