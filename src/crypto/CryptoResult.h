#pragma once

// Result codes of the certificate cryptography; 0 is success and 1 missing input or a generic
// failure. The service client passes them on and looks their texts up.
namespace crypto_result {
inline constexpr int kOk = 0;
inline constexpr int kFailed = 1;

inline constexpr int kCsrNoCommonName = 52701;
inline constexpr int kCsrNoKeyContainer = 52703;
inline constexpr int kCsrNoRequest = 52705;
inline constexpr int kCsrNoKeyPair = 52707;
inline constexpr int kCsrKeyNotSet = 52709;
inline constexpr int kCsrNotSigned = 52711;
// The key could not be kept in the private key cache: no request may be sent for it, since
// the certificate issued for it could never be saved.
inline constexpr int kCsrKeyNotStored = 52713;

inline constexpr int kPfxBadCertificate = 52109;
inline constexpr int kPfxNotBuilt = 52111;
// changePwd: the file is protected by the new password, but the store still holds the old one.
inline constexpr int kPfxPasswordNotRecorded = 52113;
// The written file did not read back through NSS, as a browser would import it: it was not
// put in place, and the previous file is unchanged.
inline constexpr int kPfxNotReadBack = 52115;
inline constexpr int kPfxNotPkcs12 = 52301;
inline constexpr int kPfxWrongPassword = 52303;
inline constexpr int kPfxCannotOpen = 52403;

inline constexpr int kSignCannotOpen = 52601;
inline constexpr int kSignKeyMismatch = 52603;
inline constexpr int kSignFailed = 52605;
}  // namespace crypto_result
