#pragma once

// One owning alias per OpenSSL handle type. Nothing outside this header frees an OpenSSL
// object by hand.

#include <openssl/asn1.h>
#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/cms.h>
#include <openssl/decoder.h>
#include <openssl/evp.h>
#include <openssl/pkcs12.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>

#include <memory>

namespace ossl {

template <auto FreeFn>
struct Deleter {
    template <typename T>
    void operator()(T* p) const {
        FreeFn(p);
    }
};

template <typename T, auto FreeFn>
using Ptr = std::unique_ptr<T, Deleter<FreeFn>>;

using Asn1Integer = Ptr<ASN1_INTEGER, ASN1_INTEGER_free>;
using Asn1Time = Ptr<ASN1_TIME, ASN1_TIME_free>;
using Bignum = Ptr<BIGNUM, BN_free>;
using Bio = Ptr<BIO, BIO_free_all>;
using CipherCtx = Ptr<EVP_CIPHER_CTX, EVP_CIPHER_CTX_free>;
using Cipher = Ptr<EVP_CIPHER, EVP_CIPHER_free>;
using CmsContentInfo = Ptr<CMS_ContentInfo, CMS_ContentInfo_free>;
using DecoderCtx = Ptr<OSSL_DECODER_CTX, OSSL_DECODER_CTX_free>;
using Md = Ptr<EVP_MD, EVP_MD_free>;
using MdCtx = Ptr<EVP_MD_CTX, EVP_MD_CTX_free>;
using Pkcs12 = Ptr<PKCS12, PKCS12_free>;
using Pkcs7 = Ptr<PKCS7, PKCS7_free>;
using Pkcs8PrivKeyInfo = Ptr<PKCS8_PRIV_KEY_INFO, PKCS8_PRIV_KEY_INFO_free>;
using Pkey = Ptr<EVP_PKEY, EVP_PKEY_free>;
using PkeyCtx = Ptr<EVP_PKEY_CTX, EVP_PKEY_CTX_free>;
using X509Cert = Ptr<X509, X509_free>;
using X509Name = Ptr<X509_NAME, X509_NAME_free>;
using X509Req = Ptr<X509_REQ, X509_REQ_free>;
using X509Store = Ptr<X509_STORE, X509_STORE_free>;

struct X509StackDeleter {
    void operator()(STACK_OF(X509)* stack) const { sk_X509_pop_free(stack, X509_free); }
};
using X509Stack = std::unique_ptr<STACK_OF(X509), X509StackDeleter>;

// The safes of a PKCS#12 and the bags of one safe.
struct Pkcs7StackDeleter {
    void operator()(STACK_OF(PKCS7)* stack) const { sk_PKCS7_pop_free(stack, PKCS7_free); }
};
using Pkcs7Stack = std::unique_ptr<STACK_OF(PKCS7), Pkcs7StackDeleter>;
struct SafeBagStackDeleter {
    void operator()(STACK_OF(PKCS12_SAFEBAG)* stack) const {
        sk_PKCS12_SAFEBAG_pop_free(stack, PKCS12_SAFEBAG_free);
    }
};
using SafeBagStack = std::unique_ptr<STACK_OF(PKCS12_SAFEBAG), SafeBagStackDeleter>;

// OPENSSL_free is a macro; this frees buffers OpenSSL allocated for us.
struct CryptoBufferDeleter {
    void operator()(void* p) const { OPENSSL_free(p); }
};
using CryptoBuffer = std::unique_ptr<char, CryptoBufferDeleter>;

}  // namespace ossl
