#include "crypto/OpenSslProviders.h"

#include <openssl/err.h>
#include <openssl/provider.h>

#include <mutex>

bool OpenSslProviders::load() {
    static std::once_flag once;
    static bool loaded = false;
    // The handles live as long as the process: the providers are never unloaded. Kept here
    // they stay reachable to the end, so a leak check at exit does not take them for lost.
    static OSSL_PROVIDER* defaults = nullptr;
    static OSSL_PROVIDER* legacy = nullptr;
    std::call_once(once, [] {
        // Loading a provider by hand turns off the automatic default one, so both are named.
        defaults = OSSL_PROVIDER_load(nullptr, "default");
        legacy = OSSL_PROVIDER_load(nullptr, "legacy");
        loaded = defaults != nullptr && legacy != nullptr;
        if (!loaded) ERR_clear_error();
    });
    return loaded;
}
