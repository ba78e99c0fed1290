#pragma once

// Every text of the help-desk report and of the command-line help, defined once.
namespace report_text {

inline constexpr char kUsage[] =
    "用法：norvale-cert-client [--report | --version | --help]\n"
    "  --report   印出本機憑證狀態的檢查報告，供客服人員參考（不開啟視窗，也不連線至服務）\n"
    "  --version  顯示版本\n"
    "  --help     顯示此說明\n";

inline constexpr char kTitle[] = "Norvale證券憑證管理 檢查報告";
inline constexpr char kVersion[] = "版本：";
inline constexpr char kDefaultBrowser[] = "預設瀏覽器：";
inline constexpr char kNone[] = "未設定";
inline constexpr char kYes[] = "是";
inline constexpr char kNo[] = "否";

inline constexpr char kNoCustomer[] = "憑證設定檔中沒有任何客戶的紀錄";
inline constexpr char kCustomer[] = "身分證號：";
inline constexpr char kPfxPath[] = "  憑證檔路徑：";
inline constexpr char kExists[] = "  檔案存在：";
inline constexpr char kOwnerOnly[] = "  僅限本人存取：";
inline constexpr char kOpens[] = "  以記錄的密碼開啟：";
inline constexpr char kSerial[] = "  憑證序號：";
inline constexpr char kValidity[] = "  憑證效期：";
inline constexpr char kValidityTo[] = " 至 ";
inline constexpr char kIssuer[] = "  簽發者：";
inline constexpr char kCachedKey[] = "  私密金鑰快取：";
inline constexpr char kKeyMatches[] = "有相符的金鑰";
inline constexpr char kNoKeyMatches[] = "沒有相符的金鑰";
inline constexpr char kCacheCount[] = "私密金鑰快取：金鑰數 ";

inline constexpr char kStores[] = "瀏覽器憑證資料庫：";
inline constexpr char kNoStore[] = "  找不到任何瀏覽器憑證資料庫";
inline constexpr char kProfile[] = "設定檔 ";
inline constexpr char kFolder[] = "    資料夾：";
inline constexpr char kStoreUnreadable[] = "    無法開啟此資料庫";
inline constexpr char kNoCertOfCustomers[] = "    沒有上列客戶的憑證";
inline constexpr char kSameAsFile[] = "與憑證檔相同的憑證";
inline constexpr char kOtherThanFile[] = "與憑證檔不同的憑證";
inline constexpr char kOfCustomer[] = "此客戶的憑證";
inline constexpr char kWithKey[] = "，含私密金鑰";
inline constexpr char kWithoutKey[] = "，未見私密金鑰";

inline constexpr char kProblems[] = "發現的問題：";
inline constexpr char kMissing[] = "：憑證檔不存在";
inline constexpr char kNotOwnerOnly[] = "：憑證檔可被其他使用者讀取";
inline constexpr char kNotOpened[] = "：記錄的密碼無法開啟憑證檔";
inline constexpr char kStoreBehind[] = " 中的憑證與憑證檔不同";
inline constexpr char kAllConsistent[] = "結論：一切正常";
inline constexpr char kProblemCount[] = "結論：發現問題 ";

}  // namespace report_text
