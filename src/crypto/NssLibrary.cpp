// NSS, opened when the first browser store or PFX is read instead of at the program's start:
// its six libraries cost the first window about a millisecond and a half. Every use begins
// with NSS_InitContext, which fails when the libraries cannot be loaded; the other functions
// then fail the way NSS fails, or do nothing where they only free.
#include "platform/LazyLibrary.h"

#pragma GCC visibility push(hidden)
#include <cert.h>
#include <certdb.h>
#include <keyhi.h>
#include <nss.h>
#include <p12.h>
#include <p12plcy.h>
#include <pk11pub.h>
#include <secasn1.h>
#include <secerr.h>
#include <secitem.h>
#include <secoid.h>
#include <secport.h>
// This one header of NSS lacks the C linkage block of the others.
extern "C" {
#include <utilpars.h>
}
#pragma GCC visibility pop

namespace {

// libsmime3 depends on libnss3 and libnssutil3: one handle finds the functions of all three.
const LazyLibrary& nss() {
    static const LazyLibrary library("libsmime3.so");
    return library;
}

}  // namespace

#define NSS_FUNCTION(function) LAZY_FUNCTION(nss, function)

extern "C" {

NSSInitContext* NSS_InitContext(const char* configdir, const char* certPrefix,
                                const char* keyPrefix, const char* secmodName,
                                NSSInitParameters* initParams, PRUint32 flags) {
    return callOr(NSS_FUNCTION(NSS_InitContext), nullptr, configdir, certPrefix, keyPrefix,
                  secmodName, initParams, flags);
}
SECStatus NSS_ShutdownContext(NSSInitContext* context) {
    return callOr(NSS_FUNCTION(NSS_ShutdownContext), SECFailure, context);
}
int PORT_GetError() {
    return callOr(NSS_FUNCTION(PORT_GetError), SEC_ERROR_LIBRARY_FAILURE);
}
void PORT_Free(void* ptr) {
    callIfPresent(NSS_FUNCTION(PORT_Free), ptr);
}
PLArenaPool* PORT_NewArena(unsigned long chunksize) {
    return callOr(NSS_FUNCTION(PORT_NewArena), nullptr, chunksize);
}
void PORT_FreeArena(PLArenaPool* arena, PRBool zero) {
    callIfPresent(NSS_FUNCTION(PORT_FreeArena), arena, zero);
}
char* NSSUTIL_Escape(const char* string, char quote) {
    return callOr(NSS_FUNCTION(NSSUTIL_Escape), nullptr, string, quote);
}

SECItem* SECITEM_AllocItem(PLArenaPool* arena, SECItem* item, unsigned int len) {
    return callOr(NSS_FUNCTION(SECITEM_AllocItem), nullptr, arena, item, len);
}
PRBool SECITEM_ItemsAreEqual(const SECItem* a, const SECItem* b) {
    return callOr(NSS_FUNCTION(SECITEM_ItemsAreEqual), PR_FALSE, a, b);
}
void SECITEM_ZfreeItem(SECItem* zap, PRBool freeit) {
    callIfPresent(NSS_FUNCTION(SECITEM_ZfreeItem), zap, freeit);
}
SECStatus SEC_QuickDERDecodeItem(PLArenaPool* arena, void* dest,
                                 const SEC_ASN1Template* templateEntry, const SECItem* src) {
    return callOr(NSS_FUNCTION(SEC_QuickDERDecodeItem), SECFailure, arena, dest, templateEntry,
                  src);
}
const SEC_ASN1Template* NSS_Get_SECKEY_EncryptedPrivateKeyInfoTemplate(void* arg, PRBool enc) {
    return callOr(NSS_FUNCTION(NSS_Get_SECKEY_EncryptedPrivateKeyInfoTemplate), nullptr, arg, enc);
}
SECOidTag SECOID_GetAlgorithmTag(const SECAlgorithmID* aid) {
    return callOr(NSS_FUNCTION(SECOID_GetAlgorithmTag), SEC_OID_UNKNOWN, aid);
}

CERTCertificate* CERT_DecodeCertFromPackage(char* certbuf, int certlen) {
    return callOr(NSS_FUNCTION(CERT_DecodeCertFromPackage), nullptr, certbuf, certlen);
}
void CERT_DestroyCertificate(CERTCertificate* cert) {
    callIfPresent(NSS_FUNCTION(CERT_DestroyCertificate), cert);
}
void CERT_DestroyCertList(CERTCertList* certs) {
    callIfPresent(NSS_FUNCTION(CERT_DestroyCertList), certs);
}
SECKEYPublicKey* CERT_ExtractPublicKey(CERTCertificate* cert) {
    return callOr(NSS_FUNCTION(CERT_ExtractPublicKey), nullptr, cert);
}
SECStatus CERT_GetCertTimes(const CERTCertificate* c, PRTime* notBefore, PRTime* notAfter) {
    return callOr(NSS_FUNCTION(CERT_GetCertTimes), SECFailure, c, notBefore, notAfter);
}
char* CERT_GetCommonName(const CERTName* name) {
    return callOr(NSS_FUNCTION(CERT_GetCommonName), nullptr, name);
}
CERTCertDBHandle* CERT_GetDefaultCertDB() {
    return callOr(NSS_FUNCTION(CERT_GetDefaultCertDB), nullptr);
}
PRBool CERT_IsCACert(CERTCertificate* cert, unsigned int* rettype) {
    return callOr(NSS_FUNCTION(CERT_IsCACert), PR_FALSE, cert, rettype);
}
PRBool SEC_CertNicknameConflict(const char* nickname, const SECItem* derSubject,
                                CERTCertDBHandle* handle) {
    // A conflict is the answer that makes the caller choose another name.
    return callOr(NSS_FUNCTION(SEC_CertNicknameConflict), PR_TRUE, nickname, derSubject, handle);
}
SECStatus SEC_DeletePermCertificate(CERTCertificate* cert) {
    return callOr(NSS_FUNCTION(SEC_DeletePermCertificate), SECFailure, cert);
}
void SECKEY_DestroyPrivateKey(SECKEYPrivateKey* key) {
    callIfPresent(NSS_FUNCTION(SECKEY_DestroyPrivateKey), key);
}
void SECKEY_DestroyPublicKey(SECKEYPublicKey* key) {
    callIfPresent(NSS_FUNCTION(SECKEY_DestroyPublicKey), key);
}

PK11SlotInfo* SECMOD_OpenUserDB(const char* moduleSpec) {
    return callOr(NSS_FUNCTION(SECMOD_OpenUserDB), nullptr, moduleSpec);
}
SECStatus SECMOD_CloseUserDB(PK11SlotInfo* slot) {
    return callOr(NSS_FUNCTION(SECMOD_CloseUserDB), SECFailure, slot);
}
PK11SlotInfo* PK11_GetInternalSlot() {
    return callOr(NSS_FUNCTION(PK11_GetInternalSlot), nullptr);
}
void PK11_FreeSlot(PK11SlotInfo* slot) {
    callIfPresent(NSS_FUNCTION(PK11_FreeSlot), slot);
}
PRBool PK11_IsPresent(PK11SlotInfo* slot) {
    return callOr(NSS_FUNCTION(PK11_IsPresent), PR_FALSE, slot);
}
PRBool PK11_IsReadOnly(PK11SlotInfo* slot) {
    return callOr(NSS_FUNCTION(PK11_IsReadOnly), PR_TRUE, slot);
}
PRBool PK11_NeedLogin(PK11SlotInfo* slot) {
    return callOr(NSS_FUNCTION(PK11_NeedLogin), PR_TRUE, slot);
}
PRBool PK11_NeedUserInit(PK11SlotInfo* slot) {
    return callOr(NSS_FUNCTION(PK11_NeedUserInit), PR_FALSE, slot);
}
PRBool PK11_IsLoggedIn(PK11SlotInfo* slot, void* wincx) {
    return callOr(NSS_FUNCTION(PK11_IsLoggedIn), PR_FALSE, slot, wincx);
}
SECStatus PK11_InitPin(PK11SlotInfo* slot, const char* ssopw, const char* pk11_userpwd) {
    return callOr(NSS_FUNCTION(PK11_InitPin), SECFailure, slot, ssopw, pk11_userpwd);
}
SECStatus PK11_CheckUserPassword(PK11SlotInfo* slot, const char* pw) {
    return callOr(NSS_FUNCTION(PK11_CheckUserPassword), SECFailure, slot, pw);
}
CERTCertList* PK11_ListCertsInSlot(PK11SlotInfo* slot) {
    return callOr(NSS_FUNCTION(PK11_ListCertsInSlot), nullptr, slot);
}
SECKEYPrivateKey* PK11_FindPrivateKeyFromCert(PK11SlotInfo* slot, CERTCertificate* cert,
                                              void* wincx) {
    return callOr(NSS_FUNCTION(PK11_FindPrivateKeyFromCert), nullptr, slot, cert, wincx);
}
SECStatus PK11_DeleteTokenPrivateKey(SECKEYPrivateKey* privKey, PRBool force) {
    return callOr(NSS_FUNCTION(PK11_DeleteTokenPrivateKey), SECFailure, privKey, force);
}
SECStatus PK11_ImportDERPrivateKeyInfoAndReturnKey(PK11SlotInfo* slot, SECItem* derPKI,
                                                   SECItem* nickname, SECItem* publicValue,
                                                   PRBool isPerm, PRBool isPrivate,
                                                   unsigned int usage, SECKEYPrivateKey** privk,
                                                   void* wincx) {
    return callOr(NSS_FUNCTION(PK11_ImportDERPrivateKeyInfoAndReturnKey), SECFailure, slot, derPKI,
                  nickname, publicValue, isPerm, isPrivate, usage, privk, wincx);
}
SECStatus PK11_ImportEncryptedPrivateKeyInfoAndReturnKey(
    PK11SlotInfo* slot, SECKEYEncryptedPrivateKeyInfo* epki, SECItem* pwitem, SECItem* nickname,
    SECItem* publicValue, PRBool isPerm, PRBool isPrivate, KeyType type, unsigned int usage,
    SECKEYPrivateKey** privk, void* wincx) {
    return callOr(NSS_FUNCTION(PK11_ImportEncryptedPrivateKeyInfoAndReturnKey), SECFailure, slot,
                  epki, pwitem, nickname, publicValue, isPerm, isPrivate, type, usage, privk,
                  wincx);
}
SECStatus PK11_ReadRawAttribute(PK11ObjectType type, void* object, CK_ATTRIBUTE_TYPE attr,
                                SECItem* item) {
    return callOr(NSS_FUNCTION(PK11_ReadRawAttribute), SECFailure, type, object, attr, item);
}
SECStatus PK11_GenerateRandom(unsigned char* data, int len) {
    return callOr(NSS_FUNCTION(PK11_GenerateRandom), SECFailure, data, len);
}
SECStatus PK11_HashBuf(SECOidTag hashAlg, unsigned char* out, const unsigned char* in,
                       PRInt32 len) {
    return callOr(NSS_FUNCTION(PK11_HashBuf), SECFailure, hashAlg, out, in, len);
}
int PK11_SignatureLen(SECKEYPrivateKey* key) {
    return callOr(NSS_FUNCTION(PK11_SignatureLen), -1, key);
}
SECStatus PK11_Sign(SECKEYPrivateKey* key, SECItem* sig, const SECItem* hash) {
    return callOr(NSS_FUNCTION(PK11_Sign), SECFailure, key, sig, hash);
}
SECStatus PK11_Verify(SECKEYPublicKey* key, const SECItem* sig, const SECItem* hash, void* wincx) {
    return callOr(NSS_FUNCTION(PK11_Verify), SECFailure, key, sig, hash, wincx);
}

SECStatus SEC_PKCS12EnableCipher(long which, int on) {
    return callOr(NSS_FUNCTION(SEC_PKCS12EnableCipher), SECFailure, which, on);
}
SEC_PKCS12DecoderContext* SEC_PKCS12DecoderStart(SECItem* pwitem, PK11SlotInfo* slot, void* wincx,
                                                 digestOpenFn dOpen, digestCloseFn dClose,
                                                 digestIOFn dRead, digestIOFn dWrite, void* dArg) {
    return callOr(NSS_FUNCTION(SEC_PKCS12DecoderStart), nullptr, pwitem, slot, wincx, dOpen, dClose,
                  dRead, dWrite, dArg);
}
SECStatus SEC_PKCS12DecoderSetTargetTokenCAs(SEC_PKCS12DecoderContext* p12dcx,
                                             SECPKCS12TargetTokenCAs tokenCAs) {
    return callOr(NSS_FUNCTION(SEC_PKCS12DecoderSetTargetTokenCAs), SECFailure, p12dcx, tokenCAs);
}
SECStatus SEC_PKCS12DecoderUpdate(SEC_PKCS12DecoderContext* p12dcx, unsigned char* data,
                                  unsigned long len) {
    return callOr(NSS_FUNCTION(SEC_PKCS12DecoderUpdate), SECFailure, p12dcx, data, len);
}
SECStatus SEC_PKCS12DecoderVerify(SEC_PKCS12DecoderContext* p12dcx) {
    return callOr(NSS_FUNCTION(SEC_PKCS12DecoderVerify), SECFailure, p12dcx);
}
SECStatus SEC_PKCS12DecoderValidateBags(SEC_PKCS12DecoderContext* p12dcx,
                                        SEC_PKCS12NicknameCollisionCallback nicknameCb) {
    return callOr(NSS_FUNCTION(SEC_PKCS12DecoderValidateBags), SECFailure, p12dcx, nicknameCb);
}
SECStatus SEC_PKCS12DecoderRenameCertNicknames(SEC_PKCS12DecoderContext* p12dcx,
                                               SEC_PKCS12NicknameRenameCallback nicknameCb,
                                               void* arg) {
    return callOr(NSS_FUNCTION(SEC_PKCS12DecoderRenameCertNicknames), SECFailure, p12dcx,
                  nicknameCb, arg);
}
SECStatus SEC_PKCS12DecoderImportBags(SEC_PKCS12DecoderContext* p12dcx) {
    return callOr(NSS_FUNCTION(SEC_PKCS12DecoderImportBags), SECFailure, p12dcx);
}
SECStatus SEC_PKCS12DecoderIterateInit(SEC_PKCS12DecoderContext* p12dcx) {
    return callOr(NSS_FUNCTION(SEC_PKCS12DecoderIterateInit), SECFailure, p12dcx);
}
SECStatus SEC_PKCS12DecoderIterateNext(SEC_PKCS12DecoderContext* p12dcx,
                                       const SEC_PKCS12DecoderItem** ipp) {
    return callOr(NSS_FUNCTION(SEC_PKCS12DecoderIterateNext), SECFailure, p12dcx, ipp);
}
void SEC_PKCS12DecoderFinish(SEC_PKCS12DecoderContext* p12dcx) {
    callIfPresent(NSS_FUNCTION(SEC_PKCS12DecoderFinish), p12dcx);
}

}  // extern "C"
