#pragma once

// Result codes of the session operations; texts through ZOLTLib::getErrMsg.
namespace service_result {
inline constexpr int kOk = 0;
inline constexpr int kNoSession = 1;  // no session key: nothing was sent
inline constexpr int kVersionNoAnswer = 53701;
inline constexpr int kVersionRefused = 53705;
inline constexpr int kLoginRefused = 53907;
inline constexpr int kLogoutRefused = 54003;
inline constexpr int kFnStatusNoCn = 54101;
inline constexpr int kFnStatusFailed = 54103;
inline constexpr int kRenewNotOffered = 54303;
inline constexpr int kActivationFailed = 54701;
inline constexpr int kApplicationFailed = 55015;
inline constexpr int kRenewalRefused = 55201;
inline constexpr int kRenewalNotSigned = 52605;
inline constexpr int kDeployFailed = 1;
}  // namespace service_result
