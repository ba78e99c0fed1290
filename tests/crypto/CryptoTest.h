#pragma once

#include <gtest/gtest.h>

#include "crypto/RSAUtility.h"
#include "support/FakeDesktop.h"
#include "support/OpensslTool.h"
#include "support/TestPki.h"

// What every suite that makes certificates starts from: a temporary home with the utilities over
// it, and one test PKI for the whole program (its RSA keys take a while to make).
class CryptoTest : public testing::Test {
  protected:
    // A key made by the openssl tool and the certificate the PKI issued for it.
    struct Issued {
        std::string keyPath, key, cert, b64;
    };
    static TestPki& pki() {
        static TestPki instance;
        return instance;
    }
    static Issued issue(const std::string& subject, const std::string& serial,
                        const std::string& extensions = "basicConstraints=CA:FALSE\n") {
        std::string keyPath;
        const std::string cert =
            pki().issue(pki().newRequest(subject, keyPath), serial, extensions);
        return {keyPath, OpensslTool::readText(keyPath), cert, pki().certBase64(cert)};
    }
    static bool contains(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }
    static int count(const std::string& text, const std::string& part) {
        int n = 0;
        for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
        return n;
    }

    FakeDesktop desktop;
    CommonUtility util{desktop};
    RSAUtility rsa{util};
    std::string home = desktop.homePath();
};
