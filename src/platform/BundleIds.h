#pragma once

// Bundle identifiers by which the client names the browsers it supports.
namespace bundle_id {
inline constexpr const char* kSafari = "com.apple.Safari";
inline constexpr const char* kChrome = "com.google.Chrome";
inline constexpr const char* kFirefox = "org.mozilla.Firefox";
}  // namespace bundle_id
