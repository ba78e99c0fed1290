#pragma once

// Loads OpenSSL's default and legacy providers into the default library context, once per
// process. The legacy one carries RC2 and the PKCS#12 key derivation that customers' PFX
// files use. Safe to call from anywhere, any number of times; false when a provider could not
// be loaded.
class OpenSslProviders {
  public:
    static bool load();
};
