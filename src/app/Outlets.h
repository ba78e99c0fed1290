#pragma once

// The main window's controls by outlet name; the window toolkit names its widgets so.
namespace outlet {
inline constexpr char kTxtUserIdNo[] = "txtUserIdNo";
inline constexpr char kTxtLoginPwd[] = "txtLoginPwd";
inline constexpr char kTxtSecureLoginPwd[] = "txtSecureLoginPwd";
inline constexpr char kChkShowPwdPlainText[] = "chkShowPwdPlainText";
inline constexpr char kBtnLogin[] = "btnLogin";
inline constexpr char kBtnCrtIdno[] = "btnCrtIdno";
inline constexpr char kBtnApplyCert[] = "btnApplyCert";
inline constexpr char kBtnRenewCert[] = "btnRenewCert";
inline constexpr char kBtnQrySvrCertInfo[] = "btnQrySvrCertInfo";
inline constexpr char kBtnQryClntCertInfo[] = "btnQryClntCertInfo";
inline constexpr char kBtnChgPfxPwd[] = "btnChgPfxPwd";
inline constexpr char kBtnDepCert[] = "btnDepCert";
inline constexpr char kBtnPwdHint[] = "btnPwdHint";
inline constexpr char kBtnUsageLink[] = "btnUsageLink";
inline constexpr char kBtnDownloadLink[] = "btnDownloadLink";
inline constexpr char kBtnBrowsePfxFile[] = "btnBrowsePfxFile";
inline constexpr char kTvSvrCertInfo[] = "tvSvrCertInfo";
inline constexpr char kTvClntCertInfo[] = "tvClntCertInfo";
inline constexpr char kLblPfxFilePath[] = "lblPfxFilePath";
}  // namespace outlet
