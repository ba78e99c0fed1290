#pragma once

#include <map>
#include <string>
#include <vector>

// One certificate of a customer and where it stands in its life cycle.
struct CertRecord {
    int certId = 0;
    std::string kind;     // "apply" or "renew"
    std::string status;   // "pending" until activated, then "active", "ended" once replaced
    std::string certDer;  // base64 DER of the certificate
    std::string serialHex;
    long long notBefore = 0;  // seconds since the epoch
    long long notAfter = 0;
    std::string certPath;
};

// The service's state, kept in one JSON file that is replaced atomically on every change.
class Store {
  public:
    explicit Store(std::string path) : path_(std::move(path)) {}

    // A missing file is an empty state; an unreadable one is an error.
    bool load(std::string& error);
    bool save() const;

    std::vector<CertRecord>& records(const std::string& customerId) { return records_[customerId]; }
    int takeCertId() { return nextCertId_++; }

  private:
    std::string path_;
    std::map<std::string, std::vector<CertRecord>> records_;
    int nextCertId_ = 1;
};
