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
}  // namespace service_result
