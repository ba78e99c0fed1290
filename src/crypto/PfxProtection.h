#pragma once

#include <openssl/obj_mac.h>

// The algorithms a written PFX is protected with: the key bag's and the certificate bags'
// encryption (a PKCS#12 PBE or, for PBES2, a cipher), their iteration count and the MAC's.
struct PfxProtection {
    int keyPbe = NID_pbe_WithSHA1And3_Key_TripleDES_CBC;
    int certPbe = NID_pbe_WithSHA1And40BitRC2_CBC;
    int iterations = 2048;
    int macIterations = 1;

    // What customers' existing files use and every browser imports. Only tests choose other
    // algorithms, to see how a second reader takes them.
    static PfxProtection customary() { return {}; }
};
