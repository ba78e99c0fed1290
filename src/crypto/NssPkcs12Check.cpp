#include "crypto/NssPkcs12Check.h"

#include <keyhi.h>
#include <openssl/crypto.h>
#include <openssl/err.h>
#include <secasn1.h>
#include <secoid.h>

#include <optional>

#include "crypto/NssContext.h"
#include "crypto/nssptr.h"
#include "crypto/ossl.h"

using Verdict = NssPkcs12Check::Verdict;

namespace {

SECItem itemOf(Bytes& bytes) {
    return {siBuffer, bytes.data(), static_cast<unsigned>(bytes.size())};
}

// The key bag as DER: an EncryptedPrivateKeyInfo when shrouded, else a PrivateKeyInfo.
struct KeyBag {
    Bytes der;
    bool shrouded = false;
};

template <typename T, typename Encode>
Bytes encoded(const T* value, Encode encode) {
    unsigned char* out = nullptr;
    const int length = encode(value, &out);
    if (length <= 0) return {};
    ossl::CryptoBuffer owned(reinterpret_cast<char*>(out));
    return Bytes(out, out + length);
}

std::optional<KeyBag> keyBagIn(STACK_OF(PKCS12_SAFEBAG)* bags) {
    for (int i = 0; i < sk_PKCS12_SAFEBAG_num(bags); ++i) {
        const PKCS12_SAFEBAG* bag = sk_PKCS12_SAFEBAG_value(bags, i);
        switch (PKCS12_SAFEBAG_get_nid(bag)) {
            case NID_pkcs8ShroudedKeyBag:
                return KeyBag{encoded(PKCS12_SAFEBAG_get0_pkcs8(bag), i2d_X509_SIG), true};
            case NID_keyBag:
                return KeyBag{encoded(PKCS12_SAFEBAG_get0_p8inf(bag), i2d_PKCS8_PRIV_KEY_INFO),
                              false};
            default:
                break;
        }
    }
    return std::nullopt;
}

// NSS's decoder tells what bags there are but never hands out a key bag's content, so the
// bytes are located with OpenSSL; decrypting them and proving the key are NSS's work alone.
// Our writers keep the key in a plain safe; only when none has it are the encrypted ones
// opened.
std::optional<KeyBag> locateKeyBag(const Bytes& pfxDer, const std::string& password) {
    const unsigned char* p = pfxDer.data();
    ossl::Pkcs12 p12(d2i_PKCS12(nullptr, &p, static_cast<long>(pfxDer.size())));
    ossl::Pkcs7Stack safes(p12 ? PKCS12_unpack_authsafes(p12.get()) : nullptr);
    std::optional<KeyBag> found;
    for (int pass = 0; safes && pass < 2 && !found; ++pass) {
        for (int i = 0; i < sk_PKCS7_num(safes.get()) && !found; ++i) {
            PKCS7* safe = sk_PKCS7_value(safes.get(), i);
            const int type = OBJ_obj2nid(safe->type);
            ossl::SafeBagStack bags;
            if (pass == 0 && type == NID_pkcs7_data) bags.reset(PKCS12_unpack_p7data(safe));
            if (pass == 1 && type == NID_pkcs7_encrypted) {
                bags.reset(PKCS12_unpack_p7encdata(safe, password.c_str(), -1));
            }
            if (bags) found = keyBagIn(bags.get());
        }
    }
    ERR_clear_error();
    if (found && found->der.empty()) return std::nullopt;
    return found;
}

// PKCS#12's own PBE schemes take the BMPString password; a PBES2 scheme the UTF-8 bytes.
nss::PrivateKey decryptKey(PK11SlotInfo* slot, KeyBag& bag, Bytes& bmp, const std::string& utf8,
                           SECKEYPublicKey& publicKey) {
    SECItem* publicValue = publicKey.keyType == rsaKey ? &publicKey.u.rsa.modulus : nullptr;
    SECKEYPrivateKey* key = nullptr;
    SECItem der = itemOf(bag.der);
    if (!bag.shrouded) {
        (void)PK11_ImportDERPrivateKeyInfoAndReturnKey(slot, &der, nullptr, publicValue, PR_FALSE,
                                                       PR_TRUE, KU_ALL, &key, nullptr);
        return nss::PrivateKey(key);
    }
    nss::Arena arena(PORT_NewArena(2048));
    SECKEYEncryptedPrivateKeyInfo info{};
    // The template through its getter: NSS is opened on first use, so its data cannot be
    // referred to at link time.
    const SEC_ASN1Template* form =
        NSS_Get_SECKEY_EncryptedPrivateKeyInfoTemplate(nullptr, PR_FALSE);
    if (!arena || SEC_QuickDERDecodeItem(arena.get(), &info, form, &der) != SECSuccess) {
        return nullptr;
    }
    Bytes utf8Bytes(utf8.begin(), utf8.end());
    const bool pbes2 = SECOID_GetAlgorithmTag(&info.algorithm) == SEC_OID_PKCS5_PBES2;
    SECItem password = pbes2 ? itemOf(utf8Bytes) : itemOf(bmp);
    (void)PK11_ImportEncryptedPrivateKeyInfoAndReturnKey(slot, &info, &password, nullptr,
                                                         publicValue, PR_FALSE, PR_TRUE,
                                                         publicKey.keyType, KU_ALL, &key, nullptr);
    OPENSSL_cleanse(utf8Bytes.data(), utf8Bytes.size());
    return nss::PrivateKey(key);
}

// The key belongs to the certificate when the certificate's public key verifies what it
// signed.
bool signsFor(SECKEYPrivateKey* key, SECKEYPublicKey* publicKey) {
    unsigned char challenge[32];
    if (PK11_GenerateRandom(challenge, sizeof challenge) != SECSuccess) return false;
    SECItem data{siBuffer, challenge, sizeof challenge};
    const int length = PK11_SignatureLen(key);
    if (length <= 0) return false;
    Bytes signature(static_cast<std::size_t>(length));
    SECItem signed_ = itemOf(signature);
    return PK11_Sign(key, &signed_, &data) == SECSuccess &&
           PK11_Verify(publicKey, &signed_, &data, nullptr) == SECSuccess;
}

Bytes unsigned_(const SECItem& item) {
    std::size_t skip = 0;
    while (skip + 1 < item.len && item.data[skip] == 0) ++skip;
    return Bytes(item.data + skip, item.data + item.len);
}

bool sameNumber(SECKEYPrivateKey* key, CK_ATTRIBUTE_TYPE attribute, const SECItem& expected) {
    nss::ItemContents value;
    return PK11_ReadRawAttribute(PK11_TypePrivKey, key, attribute, &value.item) == SECSuccess &&
           unsigned_(value.item) == unsigned_(expected);
}

// An RSA key belongs to the certificate when it has the certificate's modulus and exponent,
// which NSS reads off the key it has just decrypted; a signature would prove the same at
// several times the cost of the whole reading. Other keys sign for it.
bool belongsTo(SECKEYPrivateKey* key, SECKEYPublicKey* publicKey) {
    if (publicKey->keyType != rsaKey) return signsFor(key, publicKey);
    return sameNumber(key, CKA_MODULUS, publicKey->u.rsa.modulus) &&
           sameNumber(key, CKA_PUBLIC_EXPONENT, publicKey->u.rsa.publicExponent);
}

struct Contents {
    int keys = 0;
    int certsWithKey = 0;
    bool expectedHasKey = false;
};

Contents contentsOf(SEC_PKCS12DecoderContext* decoder, const Bytes& certDer) {
    Contents contents;
    const SEC_PKCS12DecoderItem* item = nullptr;
    if (SEC_PKCS12DecoderIterateInit(decoder) != SECSuccess) return contents;
    while (SEC_PKCS12DecoderIterateNext(decoder, &item) == SECSuccess) {
        if (item->type == SEC_OID_PKCS12_V1_KEY_BAG_ID ||
            item->type == SEC_OID_PKCS12_V1_PKCS8_SHROUDED_KEY_BAG_ID) {
            ++contents.keys;
        } else if (item->type == SEC_OID_PKCS12_V1_CERT_BAG_ID && item->hasKey &&
                   item->der != nullptr) {
            ++contents.certsWithKey;
            contents.expectedHasKey |= item->der->len == certDer.size() &&
                                       std::equal(certDer.begin(), certDer.end(), item->der->data);
        }
    }
    return contents;
}

Verdict checkIn(PK11SlotInfo* slot, const Bytes& pfxDer, const std::string& password, Bytes& bmp,
                const Bytes& certDer) {
    SECItem passwordItem = itemOf(bmp);
    nss::Pkcs12Decoder decoder(SEC_PKCS12DecoderStart(&passwordItem, slot, nullptr, nullptr,
                                                      nullptr, nullptr, nullptr, nullptr));
    if (!decoder) return Verdict::NoNss;
    Bytes copy = pfxDer;  // the decoder takes a non-const buffer
    if (SEC_PKCS12DecoderUpdate(decoder.get(), copy.data(), copy.size()) != SECSuccess) {
        return Verdict::NotDecoded;
    }
    if (SEC_PKCS12DecoderVerify(decoder.get()) != SECSuccess) return Verdict::MacRejected;
    const Contents contents = contentsOf(decoder.get(), certDer);
    if (contents.keys != 1) return Verdict::KeyCount;
    if (contents.certsWithKey != 1 || !contents.expectedHasKey) return Verdict::NotTheCertificate;

    Bytes der = certDer;
    SECItem certItem = itemOf(der);
    nss::Certificate cert(CERT_DecodeCertFromPackage(reinterpret_cast<char*>(certItem.data),
                                                     static_cast<int>(certItem.len)));
    nss::PublicKey publicKey(cert ? CERT_ExtractPublicKey(cert.get()) : nullptr);
    if (!publicKey) return Verdict::NotTheCertificate;
    auto bag = locateKeyBag(pfxDer, password);
    if (!bag) return Verdict::KeyUnreadable;
    nss::PrivateKey key = decryptKey(slot, *bag, bmp, password, *publicKey);
    OPENSSL_cleanse(bag->der.data(), bag->der.size());
    if (!key) return Verdict::KeyUnreadable;
    return belongsTo(key.get(), publicKey.get()) ? Verdict::Ok : Verdict::KeyMismatch;
}

}  // namespace

Verdict NssPkcs12Check::check(const Bytes& pfxDer, const std::string& password,
                              const Bytes& certDer) {
    if (pfxDer.empty() || certDer.empty()) return Verdict::NotDecoded;
    if (NssContext::shared() == nullptr) return Verdict::NoNss;
    auto bmp = NssContext::bmpPassword(password);
    if (!bmp) return Verdict::MacRejected;
    nss::Slot slot(PK11_GetInternalSlot());
    const Verdict verdict =
        slot ? checkIn(slot.get(), pfxDer, password, *bmp, certDer) : Verdict::NoNss;
    OPENSSL_cleanse(bmp->data(), bmp->size());
    return verdict;
}

const char* NssPkcs12Check::name(Verdict verdict) {
    switch (verdict) {
        case Verdict::Ok:
            return "ok";
        case Verdict::NoNss:
            return "nss unavailable";
        case Verdict::NotDecoded:
            return "not decoded";
        case Verdict::MacRejected:
            return "mac rejected";
        case Verdict::KeyCount:
            return "not exactly one private key";
        case Verdict::NotTheCertificate:
            return "key not with the expected certificate";
        case Verdict::KeyUnreadable:
            return "key not decrypted";
        case Verdict::KeyMismatch:
            return "key does not sign for the certificate";
    }
    return "unknown";
}
