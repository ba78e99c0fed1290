#pragma once

// Owning aliases for the OpenSSL handles of the stand-in service. The service shares no code
// with the client, so that the two sides cannot share one mistake.

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>

#include <memory>

namespace ssl {

template <auto FreeFn>
struct Free {
    template <typename T>
    void operator()(T* p) const {
        FreeFn(p);
    }
};

using Bio = std::unique_ptr<BIO, Free<BIO_free_all>>;
using CipherCtx = std::unique_ptr<EVP_CIPHER_CTX, Free<EVP_CIPHER_CTX_free>>;
using Pkey = std::unique_ptr<EVP_PKEY, Free<EVP_PKEY_free>>;
using PkeyCtx = std::unique_ptr<EVP_PKEY_CTX, Free<EVP_PKEY_CTX_free>>;
using Pkcs7 = std::unique_ptr<PKCS7, Free<PKCS7_free>>;
using X509Cert = std::unique_ptr<X509, Free<X509_free>>;
using X509Req = std::unique_ptr<X509_REQ, Free<X509_REQ_free>>;
using X509Store = std::unique_ptr<X509_STORE, Free<X509_STORE_free>>;
using X509Extension = std::unique_ptr<X509_EXTENSION, Free<X509_EXTENSION_free>>;

struct X509StackFree {
    void operator()(STACK_OF(X509)* stack) const { sk_X509_pop_free(stack, X509_free); }
};
using X509Stack = std::unique_ptr<STACK_OF(X509), X509StackFree>;

// A stack that borrows its certificates (as the get0 functions return them).
struct X509StackViewFree {
    void operator()(STACK_OF(X509)* stack) const { sk_X509_free(stack); }
};
using X509StackView = std::unique_ptr<STACK_OF(X509), X509StackViewFree>;

struct BufferFree {
    void operator()(unsigned char* p) const { OPENSSL_free(p); }
};
using Buffer = std::unique_ptr<unsigned char, BufferFree>;

}  // namespace ssl
