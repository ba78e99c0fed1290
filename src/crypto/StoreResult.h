#pragma once

// Result codes of the browser certificate stores; 0 is success and 1 a failure of NSS itself.
namespace store_result {
inline constexpr int kOk = 0;
inline constexpr int kFailed = 1;

inline constexpr int kNoDatabase = 53101;     // no certificate database in the folder
inline constexpr int kReadOnly = 53103;       // the database cannot be written
inline constexpr int kWrongPassword = 53105;  // the store's primary password was refused
inline constexpr int kNoPassword = 53107;     // the customer gave no primary password
inline constexpr int kNotPkcs12 = 53109;      // the data is no PKCS#12
inline constexpr int kWrongPfxPassword = 53111;
inline constexpr int kNoKeyInPfx = 53113;   // no certificate with its private key in it
inline constexpr int kNotVerified = 53115;  // certificate or key missing after the import
inline constexpr int kCannotCreate = 53117;
}  // namespace store_result
