#pragma once

#include <string>

#include "crypto/NssStore.h"
#include "crypto/StoreResult.h"
#include "platform/BrowserStores.h"

// Every text about the browsers' certificate stores, defined once.
namespace store_text {

// "Firefox（設定檔 default-release）", "Chromium snap 版", "Chrome／Chromium".
inline std::string label(const BrowserStore& store) {
    std::string text = store.browser;
    if (auto slash = text.find('/'); slash != std::string::npos) text.replace(slash, 1, "／");
    if (store.packaging == BrowserStore::Packaging::Snap) text += " snap 版";
    if (store.packaging == BrowserStore::Packaging::Flatpak) text += " Flatpak 版";
    if (!store.profile.empty()) text += "（設定檔 " + store.profile + "）";
    return text;
}

// Direct import, one line per store.
inline constexpr char kInstalledTo[] = "已安裝至 ";
inline constexpr char kNotInstalledTo[] = "無法安裝至 ";

inline std::string reason(int rc) {
    using namespace store_result;
    switch (rc) {
        case kNoDatabase:
            return "找不到憑證資料庫，請先開啟一次該瀏覽器";
        case kReadOnly:
            return "憑證資料庫為唯讀，無法寫入";
        case kWrongPassword:
            return "主要密碼錯誤";
        case kNoPassword:
            return "未輸入主要密碼";
        case kNotPkcs12:
            return "憑證檔格式錯誤";
        case kWrongPfxPassword:
            return "憑證檔密碼錯誤";
        case kNoKeyInPfx:
            return "憑證檔中沒有私密金鑰";
        case kNotVerified:
            return "匯入後檢查不到憑證或私密金鑰";
        case kCannotCreate:
            return "無法建立憑證資料庫";
        case kFailed:
            return "憑證資料庫存取失敗，請關閉該瀏覽器後再試一次";
        default:
            return "憑證資料庫存取失敗(錯誤代碼 " + std::to_string(rc) + ")";
    }
}

// "已安裝至 …", with what became of the certificates the new one supersedes.
inline constexpr char kRemovedOlder[] = "，並已移除 %d 張您較舊的憑證";
inline constexpr char kOlderLeft[] = "，但無法移除您較舊的憑證，請關閉該瀏覽器後再試一次";

inline std::string importLine(const BrowserStore& store, const StoreImport& result) {
    if (result.rc != store_result::kOk) {
        return kNotInstalledTo + label(store) + "：" + reason(result.rc);
    }
    std::string line = kInstalledTo + label(store);
    if (result.removed > 0) {
        std::string removed = kRemovedOlder;
        removed.replace(removed.find("%d"), 2, std::to_string(result.removed));
        line += removed;
    }
    if (result.supersededLeft) line += kOlderLeft;
    return line;
}

// The three-way check: what a store holds, then who is behind and what fixes it.
inline constexpr char kHoldsLastActive[] = "已安裝有效憑證";
inline constexpr char kHoldsLocal[] = "已安裝本機憑證檔的憑證";
inline constexpr char kHoldsOlder[] = "僅有您較舊的憑證";
inline constexpr char kHoldsNone[] = "尚未安裝您的憑證";
inline constexpr char kUnreadable[] = "無法讀取憑證資料庫";
inline constexpr char kAlsoOlder[] = "，但仍留有您較舊的憑證";

inline constexpr char kInAgreement[] = "與伺服器端有效憑證及本機憑證檔一致";
inline constexpr char kStoreBehind[] = "瀏覽器中的憑證不是最新，請重新執行瀏覽器憑證安裝";
inline constexpr char kPfxBehind[] = "本機憑證檔不是伺服器端的有效憑證，請重新指定正確的憑證檔";
inline constexpr char kBothBehind[] =
    "瀏覽器與本機憑證檔都不是伺服器端的有效憑證，請先重新指定正確的憑證檔，"
    "再重新執行瀏覽器憑證安裝";
inline constexpr char kOlderBeside[] =
    "瀏覽器可能出示較舊的憑證，請重新執行瀏覽器憑證安裝以移除較舊的憑證";
inline constexpr char kNoServiceCert[] = "無法取得伺服器端有效憑證，無法完整比對";

}  // namespace store_text
