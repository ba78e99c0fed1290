#pragma once

// Why a PFX cannot be used, beyond the result code: what the customer is told in a second
// sentence.
enum class PfxFailure {
    None,
    Missing,               // no file at the path, or not a regular file
    NotPkcs12,             // another format: a PEM certificate, a key, a text file
    Damaged,               // a PKCS#12 that is cut short or badly formed
    WrongPassword,         // the integrity MAC does not verify with the password
    UnsupportedAlgorithm,  // protected with an algorithm this machine cannot read
    NoMatchingKey,         // no private key, or one that does not belong to the certificate
    OtherCustomer,         // the certificate of another customer
    OtherCertificate,      // the customer's, but not the certificate asked for
    NotReadBack,           // a file just written that a second reader could not open
};
