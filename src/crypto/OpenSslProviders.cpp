#include "crypto/OpenSslProviders.h"

#include <openssl/err.h>
#include <openssl/provider.h>

#include <mutex>

bool OpenSslProviders::load() {
    static std::once_flag once;
    static bool loaded = false;
    std::call_once(once, [] {
        // Loading a provider by hand turns off the automatic default one, so both are named.
        // The handles live as long as the process: the providers are never unloaded.
        OSSL_PROVIDER* defaults = OSSL_PROVIDER_load(nullptr, "default");
        OSSL_PROVIDER* legacy = OSSL_PROVIDER_load(nullptr, "legacy");
        loaded = defaults != nullptr && legacy != nullptr;
        if (!loaded) ERR_clear_error();
    });
    return loaded;
}
