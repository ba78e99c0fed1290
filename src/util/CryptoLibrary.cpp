// libcrypto, opened when the first key, certificate or cipher is used instead of at the
// program's start: it is the last library the first window does not need, and loading it
// cost that window about a millisecond and a half and 1.4 MB. The functions below are the
// ones this program calls, each handing on to the function of that name in the library;
// without the library every call fails the way the library reports failure (no object, 0,
// or the value noted), so no key, certificate or cipher is ever made.
#include <string.h>

#include "platform/LazyLibrary.h"

#pragma GCC visibility push(hidden)
#include <openssl/asn1.h>
#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/crypto.h>
#include <openssl/decoder.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/pem.h>
#include <openssl/pkcs12.h>
#include <openssl/pkcs7.h>
#include <openssl/provider.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#pragma GCC visibility pop

namespace {

const LazyLibrary& crypto() {
    static const LazyLibrary library("libcrypto.so.3");
    return library;
}

}  // namespace

#define CRYPTO_FUNCTION(function) LAZY_FUNCTION(crypto, function)

extern "C" {

// <openssl/asn1.h>
const unsigned char* ASN1_STRING_get0_data(const ASN1_STRING* x) {
    return callOr(CRYPTO_FUNCTION(ASN1_STRING_get0_data), nullptr, x);
}
int ASN1_STRING_length(const ASN1_STRING* x) {
    return callOr(CRYPTO_FUNCTION(ASN1_STRING_length), 0, x);
}
int ASN1_STRING_to_UTF8(unsigned char** out, const ASN1_STRING* in) {
    return callOr(CRYPTO_FUNCTION(ASN1_STRING_to_UTF8), -1, out, in);
}
int ASN1_STRING_type(const ASN1_STRING* x) {
    return callOr(CRYPTO_FUNCTION(ASN1_STRING_type), 0, x);
}
int ASN1_TIME_to_tm(const ASN1_TIME* s, struct tm* tm) {
    return callOr(CRYPTO_FUNCTION(ASN1_TIME_to_tm), 0, s, tm);
}
int ASN1_get_object(const unsigned char** pp, long* plength, int* ptag, int* pclass, long omax) {
    return callOr(CRYPTO_FUNCTION(ASN1_get_object), 0x80, pp, plength, ptag, pclass, omax);
}

// <openssl/bio.h>
long BIO_ctrl(BIO* bp, int cmd, long larg, void* parg) {
    return callOr(CRYPTO_FUNCTION(BIO_ctrl), 0, bp, cmd, larg, parg);
}
void BIO_free_all(BIO* a) {
    callIfPresent(CRYPTO_FUNCTION(BIO_free_all), a);
}
BIO* BIO_new(const BIO_METHOD* type) {
    return callOr(CRYPTO_FUNCTION(BIO_new), nullptr, type);
}
BIO* BIO_new_mem_buf(const void* buf, int len) {
    return callOr(CRYPTO_FUNCTION(BIO_new_mem_buf), nullptr, buf, len);
}
const BIO_METHOD* BIO_s_mem() {
    return callOr(CRYPTO_FUNCTION(BIO_s_mem), nullptr);
}

// <openssl/bn.h>
int BN_bn2bin(const BIGNUM* a, unsigned char* to) {
    return callOr(CRYPTO_FUNCTION(BN_bn2bin), 0, a, to);
}
void BN_free(BIGNUM* a) {
    callIfPresent(CRYPTO_FUNCTION(BN_free), a);
}
BIGNUM* BN_new() {
    return callOr(CRYPTO_FUNCTION(BN_new), nullptr);
}
int BN_num_bits(const BIGNUM* a) {
    return callOr(CRYPTO_FUNCTION(BN_num_bits), 0, a);
}
int BN_set_word(BIGNUM* a, unsigned long w) {
    return callOr(CRYPTO_FUNCTION(BN_set_word), 0, a, w);
}

// <openssl/crypto.h>
void CRYPTO_free(void* ptr, const char* file, int line) {
    callIfPresent(CRYPTO_FUNCTION(CRYPTO_free), ptr, file, line);
}
// Passwords are wiped whether or not the library could be opened.
void OPENSSL_cleanse(void* ptr, size_t len) {
    if (auto cleanse = CRYPTO_FUNCTION(OPENSSL_cleanse)) {
        cleanse(ptr, len);
    } else {
        explicit_bzero(ptr, len);
    }
}

// <openssl/decoder.h>
void OSSL_DECODER_CTX_free(OSSL_DECODER_CTX* ctx) {
    callIfPresent(CRYPTO_FUNCTION(OSSL_DECODER_CTX_free), ctx);
}
OSSL_DECODER_CTX* OSSL_DECODER_CTX_new_for_pkey(EVP_PKEY** pkey, const char* input_type,
                                                const char* input_struct, const char* keytype,
                                                int selection, OSSL_LIB_CTX* libctx,
                                                const char* propquery) {
    return callOr(CRYPTO_FUNCTION(OSSL_DECODER_CTX_new_for_pkey), nullptr, pkey, input_type,
                  input_struct, keytype, selection, libctx, propquery);
}
int OSSL_DECODER_from_data(OSSL_DECODER_CTX* ctx, const unsigned char** pdata, size_t* pdata_len) {
    return callOr(CRYPTO_FUNCTION(OSSL_DECODER_from_data), 0, ctx, pdata, pdata_len);
}

// <openssl/err.h>
void ERR_clear_error() {
    callIfPresent(CRYPTO_FUNCTION(ERR_clear_error));
}
unsigned long ERR_get_error() {
    return callOr(CRYPTO_FUNCTION(ERR_get_error), 0);
}

// <openssl/evp.h>
void EVP_CIPHER_CTX_free(EVP_CIPHER_CTX* c) {
    callIfPresent(CRYPTO_FUNCTION(EVP_CIPHER_CTX_free), c);
}
EVP_CIPHER_CTX* EVP_CIPHER_CTX_new() {
    return callOr(CRYPTO_FUNCTION(EVP_CIPHER_CTX_new), nullptr);
}
int EVP_CIPHER_CTX_set_padding(EVP_CIPHER_CTX* c, int pad) {
    return callOr(CRYPTO_FUNCTION(EVP_CIPHER_CTX_set_padding), 0, c, pad);
}
int EVP_CipherFinal_ex(EVP_CIPHER_CTX* ctx, unsigned char* outm, int* outl) {
    return callOr(CRYPTO_FUNCTION(EVP_CipherFinal_ex), 0, ctx, outm, outl);
}
int EVP_CipherInit_ex(EVP_CIPHER_CTX* ctx, const EVP_CIPHER* cipher, ENGINE* impl,
                      const unsigned char* key, const unsigned char* iv, int enc) {
    return callOr(CRYPTO_FUNCTION(EVP_CipherInit_ex), 0, ctx, cipher, impl, key, iv, enc);
}
int EVP_CipherUpdate(EVP_CIPHER_CTX* ctx, unsigned char* out, int* outl, const unsigned char* in,
                     int inl) {
    return callOr(CRYPTO_FUNCTION(EVP_CipherUpdate), 0, ctx, out, outl, in, inl);
}
int EVP_DecodeBlock(unsigned char* t, const unsigned char* f, int n) {
    return callOr(CRYPTO_FUNCTION(EVP_DecodeBlock), -1, t, f, n);
}
int EVP_DecryptFinal_ex(EVP_CIPHER_CTX* ctx, unsigned char* outm, int* outl) {
    return callOr(CRYPTO_FUNCTION(EVP_DecryptFinal_ex), 0, ctx, outm, outl);
}
int EVP_DecryptInit_ex(EVP_CIPHER_CTX* ctx, const EVP_CIPHER* cipher, ENGINE* impl,
                       const unsigned char* key, const unsigned char* iv) {
    return callOr(CRYPTO_FUNCTION(EVP_DecryptInit_ex), 0, ctx, cipher, impl, key, iv);
}
int EVP_DecryptUpdate(EVP_CIPHER_CTX* ctx, unsigned char* out, int* outl, const unsigned char* in,
                      int inl) {
    return callOr(CRYPTO_FUNCTION(EVP_DecryptUpdate), 0, ctx, out, outl, in, inl);
}
int EVP_Digest(const void* data, size_t count, unsigned char* md, unsigned int* size,
               const EVP_MD* type, ENGINE* impl) {
    return callOr(CRYPTO_FUNCTION(EVP_Digest), 0, data, count, md, size, type, impl);
}
int EVP_EncodeBlock(unsigned char* t, const unsigned char* f, int n) {
    return callOr(CRYPTO_FUNCTION(EVP_EncodeBlock), 0, t, f, n);
}
int EVP_EncryptFinal_ex(EVP_CIPHER_CTX* ctx, unsigned char* out, int* outl) {
    return callOr(CRYPTO_FUNCTION(EVP_EncryptFinal_ex), 0, ctx, out, outl);
}
int EVP_EncryptInit_ex(EVP_CIPHER_CTX* ctx, const EVP_CIPHER* cipher, ENGINE* impl,
                       const unsigned char* key, const unsigned char* iv) {
    return callOr(CRYPTO_FUNCTION(EVP_EncryptInit_ex), 0, ctx, cipher, impl, key, iv);
}
int EVP_EncryptUpdate(EVP_CIPHER_CTX* ctx, unsigned char* out, int* outl, const unsigned char* in,
                      int inl) {
    return callOr(CRYPTO_FUNCTION(EVP_EncryptUpdate), 0, ctx, out, outl, in, inl);
}
void EVP_PKEY_CTX_free(EVP_PKEY_CTX* ctx) {
    callIfPresent(CRYPTO_FUNCTION(EVP_PKEY_CTX_free), ctx);
}
EVP_PKEY_CTX* EVP_PKEY_CTX_new_from_name(OSSL_LIB_CTX* libctx, const char* name,
                                         const char* propquery) {
    return callOr(CRYPTO_FUNCTION(EVP_PKEY_CTX_new_from_name), nullptr, libctx, name, propquery);
}
EVP_PKEY_CTX* EVP_PKEY_CTX_new_from_pkey(OSSL_LIB_CTX* libctx, EVP_PKEY* pkey,
                                         const char* propquery) {
    return callOr(CRYPTO_FUNCTION(EVP_PKEY_CTX_new_from_pkey), nullptr, libctx, pkey, propquery);
}
int EVP_PKEY_encrypt(EVP_PKEY_CTX* ctx, unsigned char* out, size_t* outlen, const unsigned char* in,
                     size_t inlen) {
    return callOr(CRYPTO_FUNCTION(EVP_PKEY_encrypt), 0, ctx, out, outlen, in, inlen);
}
int EVP_PKEY_encrypt_init(EVP_PKEY_CTX* ctx) {
    return callOr(CRYPTO_FUNCTION(EVP_PKEY_encrypt_init), 0, ctx);
}
int EVP_PKEY_eq(const EVP_PKEY* a, const EVP_PKEY* b) {
    return callOr(CRYPTO_FUNCTION(EVP_PKEY_eq), -1, a, b);
}
void EVP_PKEY_free(EVP_PKEY* pkey) {
    callIfPresent(CRYPTO_FUNCTION(EVP_PKEY_free), pkey);
}
int EVP_PKEY_get_bn_param(const EVP_PKEY* pkey, const char* key_name, BIGNUM** bn) {
    return callOr(CRYPTO_FUNCTION(EVP_PKEY_get_bn_param), 0, pkey, key_name, bn);
}
int EVP_PKEY_is_a(const EVP_PKEY* pkey, const char* name) {
    return callOr(CRYPTO_FUNCTION(EVP_PKEY_is_a), 0, pkey, name);
}
int EVP_PKEY_keygen(EVP_PKEY_CTX* ctx, EVP_PKEY** ppkey) {
    return callOr(CRYPTO_FUNCTION(EVP_PKEY_keygen), 0, ctx, ppkey);
}
int EVP_PKEY_keygen_init(EVP_PKEY_CTX* ctx) {
    return callOr(CRYPTO_FUNCTION(EVP_PKEY_keygen_init), 0, ctx);
}
int EVP_PKEY_verify_recover(EVP_PKEY_CTX* ctx, unsigned char* rout, size_t* routlen,
                            const unsigned char* sig, size_t siglen) {
    return callOr(CRYPTO_FUNCTION(EVP_PKEY_verify_recover), 0, ctx, rout, routlen, sig, siglen);
}
int EVP_PKEY_verify_recover_init(EVP_PKEY_CTX* ctx) {
    return callOr(CRYPTO_FUNCTION(EVP_PKEY_verify_recover_init), 0, ctx);
}
const EVP_CIPHER* EVP_aes_128_cbc() {
    return callOr(CRYPTO_FUNCTION(EVP_aes_128_cbc), nullptr);
}
const EVP_CIPHER* EVP_des_ede3_cbc() {
    return callOr(CRYPTO_FUNCTION(EVP_des_ede3_cbc), nullptr);
}
const EVP_MD* EVP_get_digestbyname(const char* md) {
    return callOr(CRYPTO_FUNCTION(EVP_get_digestbyname), nullptr, md);
}
const EVP_MD* EVP_md5() {
    return callOr(CRYPTO_FUNCTION(EVP_md5), nullptr);
}
const EVP_MD* EVP_sha1() {
    return callOr(CRYPTO_FUNCTION(EVP_sha1), nullptr);
}
const EVP_MD* EVP_sha256() {
    return callOr(CRYPTO_FUNCTION(EVP_sha256), nullptr);
}

// <openssl/objects.h>
const char* OBJ_nid2sn(int n) {
    return callOr(CRYPTO_FUNCTION(OBJ_nid2sn), nullptr, n);
}
int OBJ_obj2nid(const ASN1_OBJECT* o) {
    return callOr(CRYPTO_FUNCTION(OBJ_obj2nid), NID_undef, o);
}

// <openssl/pem.h>
EVP_PKEY* PEM_read_bio_PUBKEY(BIO* bp, EVP_PKEY** x, pem_password_cb* cb, void* u) {
    return callOr(CRYPTO_FUNCTION(PEM_read_bio_PUBKEY), nullptr, bp, x, cb, u);
}
EVP_PKEY* PEM_read_bio_PrivateKey(BIO* bp, EVP_PKEY** x, pem_password_cb* cb, void* u) {
    return callOr(CRYPTO_FUNCTION(PEM_read_bio_PrivateKey), nullptr, bp, x, cb, u);
}
int PEM_write_bio_PrivateKey(BIO* bp, const EVP_PKEY* x, const EVP_CIPHER* enc,
                             const unsigned char* kstr, int klen, pem_password_cb* cb, void* u) {
    return callOr(CRYPTO_FUNCTION(PEM_write_bio_PrivateKey), 0, bp, x, enc, kstr, klen, cb, u);
}
int PEM_write_bio_X509_REQ(BIO* bp, const X509_REQ* x) {
    return callOr(CRYPTO_FUNCTION(PEM_write_bio_X509_REQ), 0, bp, x);
}

// <openssl/pkcs12.h>
void PKCS12_SAFEBAG_free(PKCS12_SAFEBAG* a) {
    callIfPresent(CRYPTO_FUNCTION(PKCS12_SAFEBAG_free), a);
}
const PKCS8_PRIV_KEY_INFO* PKCS12_SAFEBAG_get0_p8inf(const PKCS12_SAFEBAG* bag) {
    return callOr(CRYPTO_FUNCTION(PKCS12_SAFEBAG_get0_p8inf), nullptr, bag);
}
const X509_SIG* PKCS12_SAFEBAG_get0_pkcs8(const PKCS12_SAFEBAG* bag) {
    return callOr(CRYPTO_FUNCTION(PKCS12_SAFEBAG_get0_pkcs8), nullptr, bag);
}
int PKCS12_SAFEBAG_get_nid(const PKCS12_SAFEBAG* bag) {
    return callOr(CRYPTO_FUNCTION(PKCS12_SAFEBAG_get_nid), NID_undef, bag);
}
PKCS12* PKCS12_create(const char* pass, const char* name, EVP_PKEY* pkey, X509* cert,
                      STACK_OF(X509)* ca, int nid_key, int nid_cert, int iter, int mac_iter,
                      int keytype) {
    return callOr(CRYPTO_FUNCTION(PKCS12_create), nullptr, pass, name, pkey, cert, ca, nid_key,
                  nid_cert, iter, mac_iter, keytype);
}
void PKCS12_free(PKCS12* a) {
    callIfPresent(CRYPTO_FUNCTION(PKCS12_free), a);
}
void PKCS12_get0_mac(const ASN1_OCTET_STRING** pmac, const X509_ALGOR** pmacalg,
                     const ASN1_OCTET_STRING** psalt, const ASN1_INTEGER** piter,
                     const PKCS12* p12) {
    callIfPresent(CRYPTO_FUNCTION(PKCS12_get0_mac), pmac, pmacalg, psalt, piter, p12);
}
int PKCS12_mac_present(const PKCS12* p12) {
    return callOr(CRYPTO_FUNCTION(PKCS12_mac_present), 0, p12);
}
int PKCS12_parse(PKCS12* p12, const char* pass, EVP_PKEY** pkey, X509** cert, STACK_OF(X509)** ca) {
    return callOr(CRYPTO_FUNCTION(PKCS12_parse), 0, p12, pass, pkey, cert, ca);
}
int PKCS12_set_mac(PKCS12* p12, const char* pass, int passlen, unsigned char* salt, int saltlen,
                   int iter, const EVP_MD* md_type) {
    return callOr(CRYPTO_FUNCTION(PKCS12_set_mac), 0, p12, pass, passlen, salt, saltlen, iter,
                  md_type);
}
STACK_OF(PKCS7)* PKCS12_unpack_authsafes(const PKCS12* p12) {
    return callOr(CRYPTO_FUNCTION(PKCS12_unpack_authsafes), nullptr, p12);
}
STACK_OF(PKCS12_SAFEBAG)* PKCS12_unpack_p7data(PKCS7* p7) {
    return callOr(CRYPTO_FUNCTION(PKCS12_unpack_p7data), nullptr, p7);
}
STACK_OF(PKCS12_SAFEBAG)* PKCS12_unpack_p7encdata(PKCS7* p7, const char* pass, int passlen) {
    return callOr(CRYPTO_FUNCTION(PKCS12_unpack_p7encdata), nullptr, p7, pass, passlen);
}
int PKCS12_verify_mac(PKCS12* p12, const char* pass, int passlen) {
    return callOr(CRYPTO_FUNCTION(PKCS12_verify_mac), 0, p12, pass, passlen);
}
PKCS12* d2i_PKCS12(PKCS12** a, const unsigned char** in, long len) {
    return callOr(CRYPTO_FUNCTION(d2i_PKCS12), nullptr, a, in, len);
}
int i2d_PKCS12(const PKCS12* a, unsigned char** out) {
    return callOr(CRYPTO_FUNCTION(i2d_PKCS12), -1, a, out);
}

// <openssl/pkcs7.h>
int PKCS7_final(PKCS7* p7, BIO* data, int flags) {
    return callOr(CRYPTO_FUNCTION(PKCS7_final), 0, p7, data, flags);
}
void PKCS7_free(PKCS7* a) {
    callIfPresent(CRYPTO_FUNCTION(PKCS7_free), a);
}
PKCS7* PKCS7_sign(X509* signcert, EVP_PKEY* pkey, STACK_OF(X509)* certs, BIO* data, int flags) {
    return callOr(CRYPTO_FUNCTION(PKCS7_sign), nullptr, signcert, pkey, certs, data, flags);
}
PKCS7_SIGNER_INFO* PKCS7_sign_add_signer(PKCS7* p7, X509* signcert, EVP_PKEY* pkey,
                                         const EVP_MD* md, int flags) {
    return callOr(CRYPTO_FUNCTION(PKCS7_sign_add_signer), nullptr, p7, signcert, pkey, md, flags);
}
PKCS7* d2i_PKCS7(PKCS7** a, const unsigned char** in, long len) {
    return callOr(CRYPTO_FUNCTION(d2i_PKCS7), nullptr, a, in, len);
}
int i2d_PKCS7(const PKCS7* a, unsigned char** out) {
    return callOr(CRYPTO_FUNCTION(i2d_PKCS7), -1, a, out);
}

// <openssl/provider.h>
OSSL_PROVIDER* OSSL_PROVIDER_load(OSSL_LIB_CTX* libctx, const char* name) {
    return callOr(CRYPTO_FUNCTION(OSSL_PROVIDER_load), nullptr, libctx, name);
}

// <openssl/rsa.h>
int EVP_PKEY_CTX_set1_rsa_keygen_pubexp(EVP_PKEY_CTX* ctx, BIGNUM* pubexp) {
    return callOr(CRYPTO_FUNCTION(EVP_PKEY_CTX_set1_rsa_keygen_pubexp), 0, ctx, pubexp);
}
int EVP_PKEY_CTX_set_rsa_keygen_bits(EVP_PKEY_CTX* ctx, int bits) {
    return callOr(CRYPTO_FUNCTION(EVP_PKEY_CTX_set_rsa_keygen_bits), 0, ctx, bits);
}
int EVP_PKEY_CTX_set_rsa_padding(EVP_PKEY_CTX* ctx, int pad_mode) {
    return callOr(CRYPTO_FUNCTION(EVP_PKEY_CTX_set_rsa_padding), 0, ctx, pad_mode);
}

// <openssl/stack.h> (through the typed stack macros)
OPENSSL_STACK* OPENSSL_sk_new_null() {
    return callOr(CRYPTO_FUNCTION(OPENSSL_sk_new_null), nullptr);
}
int OPENSSL_sk_num(const OPENSSL_STACK* st) {
    return callOr(CRYPTO_FUNCTION(OPENSSL_sk_num), -1, st);
}
void OPENSSL_sk_pop_free(OPENSSL_STACK* st, void (*func)(void*)) {
    callIfPresent(CRYPTO_FUNCTION(OPENSSL_sk_pop_free), st, func);
}
int OPENSSL_sk_push(OPENSSL_STACK* st, const void* data) {
    return callOr(CRYPTO_FUNCTION(OPENSSL_sk_push), 0, st, data);
}
void* OPENSSL_sk_value(const OPENSSL_STACK* st, int i) {
    return callOr(CRYPTO_FUNCTION(OPENSSL_sk_value), nullptr, st, i);
}

// <openssl/x509.h>
void X509_ALGOR_get0(const ASN1_OBJECT** paobj, int* pptype, const void** ppval,
                     const X509_ALGOR* algor) {
    callIfPresent(CRYPTO_FUNCTION(X509_ALGOR_get0), paobj, pptype, ppval, algor);
}
ASN1_STRING* X509_NAME_ENTRY_get_data(const X509_NAME_ENTRY* ne) {
    return callOr(CRYPTO_FUNCTION(X509_NAME_ENTRY_get_data), nullptr, ne);
}
int X509_NAME_add_entry_by_NID(X509_NAME* name, int nid, int type, const unsigned char* bytes,
                               int len, int loc, int set) {
    return callOr(CRYPTO_FUNCTION(X509_NAME_add_entry_by_NID), 0, name, nid, type, bytes, len, loc,
                  set);
}
X509_NAME_ENTRY* X509_NAME_get_entry(const X509_NAME* name, int loc) {
    return callOr(CRYPTO_FUNCTION(X509_NAME_get_entry), nullptr, name, loc);
}
int X509_NAME_get_index_by_NID(const X509_NAME* name, int nid, int lastpos) {
    return callOr(CRYPTO_FUNCTION(X509_NAME_get_index_by_NID), -1, name, nid, lastpos);
}
void X509_REQ_free(X509_REQ* a) {
    callIfPresent(CRYPTO_FUNCTION(X509_REQ_free), a);
}
X509_NAME* X509_REQ_get_subject_name(const X509_REQ* req) {
    return callOr(CRYPTO_FUNCTION(X509_REQ_get_subject_name), nullptr, req);
}
X509_REQ* X509_REQ_new() {
    return callOr(CRYPTO_FUNCTION(X509_REQ_new), nullptr);
}
int X509_REQ_set_pubkey(X509_REQ* x, EVP_PKEY* pkey) {
    return callOr(CRYPTO_FUNCTION(X509_REQ_set_pubkey), 0, x, pkey);
}
int X509_REQ_set_version(X509_REQ* x, long version) {
    return callOr(CRYPTO_FUNCTION(X509_REQ_set_version), 0, x, version);
}
int X509_REQ_sign(X509_REQ* x, EVP_PKEY* pkey, const EVP_MD* md) {
    return callOr(CRYPTO_FUNCTION(X509_REQ_sign), 0, x, pkey, md);
}
int X509_check_private_key(const X509* x509, const EVP_PKEY* pkey) {
    return callOr(CRYPTO_FUNCTION(X509_check_private_key), 0, x509, pkey);
}
int X509_digest(const X509* data, const EVP_MD* type, unsigned char* md, unsigned int* len) {
    return callOr(CRYPTO_FUNCTION(X509_digest), 0, data, type, md, len);
}
void X509_free(X509* a) {
    callIfPresent(CRYPTO_FUNCTION(X509_free), a);
}
const ASN1_TIME* X509_get0_notAfter(const X509* x) {
    return callOr(CRYPTO_FUNCTION(X509_get0_notAfter), nullptr, x);
}
const ASN1_TIME* X509_get0_notBefore(const X509* x) {
    return callOr(CRYPTO_FUNCTION(X509_get0_notBefore), nullptr, x);
}
EVP_PKEY* X509_get0_pubkey(const X509* x) {
    return callOr(CRYPTO_FUNCTION(X509_get0_pubkey), nullptr, x);
}
const ASN1_INTEGER* X509_get0_serialNumber(const X509* x) {
    return callOr(CRYPTO_FUNCTION(X509_get0_serialNumber), nullptr, x);
}
X509_NAME* X509_get_issuer_name(const X509* a) {
    return callOr(CRYPTO_FUNCTION(X509_get_issuer_name), nullptr, a);
}
X509_NAME* X509_get_subject_name(const X509* a) {
    return callOr(CRYPTO_FUNCTION(X509_get_subject_name), nullptr, a);
}
int X509_up_ref(X509* x) {
    return callOr(CRYPTO_FUNCTION(X509_up_ref), 0, x);
}
X509* d2i_X509(X509** a, const unsigned char** in, long len) {
    return callOr(CRYPTO_FUNCTION(d2i_X509), nullptr, a, in, len);
}
int i2d_PKCS8_PRIV_KEY_INFO(const PKCS8_PRIV_KEY_INFO* a, unsigned char** out) {
    return callOr(CRYPTO_FUNCTION(i2d_PKCS8_PRIV_KEY_INFO), -1, a, out);
}
int i2d_X509(const X509* a, unsigned char** out) {
    return callOr(CRYPTO_FUNCTION(i2d_X509), -1, a, out);
}
int i2d_X509_SIG(const X509_SIG* a, unsigned char** out) {
    return callOr(CRYPTO_FUNCTION(i2d_X509_SIG), -1, a, out);
}

// <openssl/x509v3.h>
uint32_t X509_get_extension_flags(X509* x) {
    return callOr(CRYPTO_FUNCTION(X509_get_extension_flags), 0, x);
}

}  // extern "C"
