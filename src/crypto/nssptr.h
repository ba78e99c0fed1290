#pragma once

// One owning alias per NSS handle type. Nothing outside this header frees, destroys or
// closes an NSS object by hand.

#include <cert.h>
#include <nss.h>
#include <p12.h>
#include <pk11pub.h>
#include <secitem.h>

#include <memory>

namespace nss {

template <auto FreeFn>
struct Deleter {
    template <typename T>
    void operator()(T* p) const {
        FreeFn(p);
    }
};

template <typename T, auto FreeFn>
using Ptr = std::unique_ptr<T, Deleter<FreeFn>>;

// The shutdown's status only matters to NSS itself: it refuses while objects are still
// referenced, which the declaration order of our handles prevents.
inline void shutdownContext(NSSInitContext* context) {
    (void)NSS_ShutdownContext(context);
}
using Context = Ptr<NSSInitContext, shutdownContext>;

// A database opened with SECMOD_OpenUserDB: closed, then the slot reference dropped.
inline void closeUserDb(PK11SlotInfo* slot) {
    (void)SECMOD_CloseUserDB(slot);
    PK11_FreeSlot(slot);
}
using UserDb = Ptr<PK11SlotInfo, closeUserDb>;

using Certificate = Ptr<CERTCertificate, CERT_DestroyCertificate>;
using CertList = Ptr<CERTCertList, CERT_DestroyCertList>;
using PrivateKey = Ptr<SECKEYPrivateKey, SECKEY_DestroyPrivateKey>;
using Pkcs12Decoder = Ptr<SEC_PKCS12DecoderContext, SEC_PKCS12DecoderFinish>;
using PublicKey = Ptr<SECKEYPublicKey, SECKEY_DestroyPublicKey>;
using Slot = Ptr<PK11SlotInfo, PK11_FreeSlot>;

// The contents of an item NSS filled in (the item itself is ours), wiped when freed.
struct ItemContents {
    SECItem item{siBuffer, nullptr, 0};
    ItemContents() = default;
    ItemContents(const ItemContents&) = delete;
    ItemContents& operator=(const ItemContents&) = delete;
    ~ItemContents() { SECITEM_ZfreeItem(&item, PR_FALSE); }
};

// Everything allocated in the arena is wiped with it: it may hold key material.
inline void freeArena(PLArenaPool* arena) {
    PORT_FreeArena(arena, PR_TRUE);
}
using Arena = Ptr<PLArenaPool, freeArena>;

inline void freeString(char* text) {
    PORT_Free(text);
}
using String = Ptr<char, freeString>;

}  // namespace nss
