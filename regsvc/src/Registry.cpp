#include "Registry.h"

#include <openssl/rand.h>

#include <algorithm>
#include <cctype>

#include "Codec.h"

namespace {

constexpr long long kDay = 24 * 60 * 60;

std::string param(const Call& call, const std::string& name) {
    auto it = call.params.find(name);
    return it == call.params.end() ? "" : it->second;
}

std::string randomText(std::size_t bytes) {
    std::string raw(bytes, '\0');
    RAND_bytes(reinterpret_cast<unsigned char*>(raw.data()), static_cast<int>(bytes));
    return codec::upperHex(reinterpret_cast<const unsigned char*>(raw.data()), raw.size());
}

// Positive and at most 8 bytes, as the client's records expect.
uint64_t randomSerial() {
    uint64_t serial = 0;
    RAND_bytes(reinterpret_cast<unsigned char*>(&serial), sizeof serial);
    return (serial & 0x7fffffffffffffffULL) | 1;
}

std::string zulu(long long seconds) {
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char out[20];
    std::strftime(out, sizeof out, "%Y%m%d%H%M%SZ", &tm);
    return out;
}

}  // namespace

Registry::Registry(const Config& config, const DemoCa& ca, Store& store)
    : config_(config), ca_(ca), store_(store) {}

void Registry::setBaseUrl(const std::string& baseUrl) {
    std::lock_guard lock(mutex_);
    baseUrl_ = baseUrl;
}

std::time_t Registry::now() const {
    return std::time(nullptr) + static_cast<std::time_t>(clockOffset_);
}

void Registry::advanceClock(long long seconds) {
    std::lock_guard lock(mutex_);
    clockOffset_ += seconds;
}

std::optional<std::string> Registry::sessionKey(const std::string& sessionId) const {
    std::lock_guard lock(mutex_);
    auto it = sessions_.find(sessionId);
    if (it == sessions_.end()) return std::nullopt;
    return it->second.aesKey;
}

Answer Registry::handle(const Call& call) {
    std::lock_guard lock(mutex_);
    if (call.action == "getSysCfg") return sysCfg();
    if (call.action == "checkVersion") return checkVersion(call);
    if (call.action == "doLogin") return login(call);
    return sessionCall(call);
}

Answer Registry::sysCfg() const {
    Answer answer;
    for (auto [key, value] : config_.sysCfg) {
        for (auto at = value.find("#base#"); at != std::string::npos; at = value.find("#base#")) {
            value.replace(at, 6, baseUrl_);
        }
        answer.fields.emplace_back(key, value);
    }
    return answer;
}

Answer Registry::checkVersion(const Call& call) const {
    if (!call.unreadable && config_.acceptedVersions.count(param(call, "version")) != 0) {
        return Answer{};
    }
    return Answer::refuse("3001", "您的程式版本過舊，請下載新版程式");
}

Answer Registry::login(const Call& call) {
    const Customer* customer = config_.customer(param(call, "id"));
    if (call.unreadable || customer == nullptr || customer->password != param(call, "pwd")) {
        return Answer::refuse("1001", "身分證字號或密碼錯誤");
    }
    if (customer->futures && !call.futuresEndpoint) {
        return Answer::refuse("997", "您為期貨客戶，將改由期貨系統登入");
    }
    if (!customer->futures && call.futuresEndpoint) {
        return Answer::refuse("1002", "查無期貨帳戶");
    }
    pruneSessions();
    const std::string sessionId = randomText(12);
    const std::string aesKey = randomText(16);  // 32 characters; the client uses 16
    sessions_[sessionId] = {customer->id, aesKey, now()};
    Answer answer;
    answer.customerId = customer->id;
    answer.fields = {{"aeskey", aesKey},
                     {"sessionId", sessionId},
                     {"cn", customer->cn},
                     {"custType", customer->futures ? "FT" : "S"}};
    return answer;
}

// Sessions are made at login only, so that is where the expired ones go. An expired session
// is kept for one more idle period, so that its client still hears "連線逾時" rather than
// nothing; after that it is forgotten.
void Registry::pruneSessions() {
    const std::time_t current = now();
    for (auto it = sessions_.begin(); it != sessions_.end();) {
        if (current - it->second.lastSeen > 2LL * config_.sessionIdleSeconds) {
            it = sessions_.erase(it);
        } else {
            ++it;
        }
    }
}

Answer Registry::sessionCall(const Call& call) {
    auto session = call.sessionId ? sessions_.find(*call.sessionId) : sessions_.end();
    if (session == sessions_.end()) return Answer::refuse("9000", "尚未登入");
    if (now() - session->second.lastSeen > config_.sessionIdleSeconds) {
        return Answer::refuse("9001", "連線逾時，請重新登入");
    }
    session->second.lastSeen = now();
    const Customer* customer = config_.customer(session->second.customerId);
    if (customer == nullptr) return Answer::refuse("9003", "查無此客戶");

    Answer answer;
    if (call.action == "doLogout") {
        sessions_.erase(session);
    } else if (call.action == "iAmAlive") {
        // the touch above is the whole point
    } else if (call.action == "getFnStatus" || call.action == "qryCert" ||
               call.action == "qryLastActiveCert") {
        if (param(call, "cn") != customer->cn) return Answer::refuse("2001", "查無此憑證使用者");
        answer = call.action == "getFnStatus" ? fnStatus(*customer)
                 : call.action == "qryCert"   ? qryCert(*customer)
                                              : qryLastActiveCert(*customer);
    } else if (call.action == "applyCert") {
        answer = applyCert(*customer, call);
    } else if (call.action == "renewCert") {
        answer = renewCert(*customer, call);
    } else if (call.action == "activeCert") {
        answer = activeCert(*customer, call);
    } else {
        return Answer::refuse("9004", "不支援的功能");
    }
    answer.customerId = customer->id;
    return answer;
}

CertRecord* Registry::find(const Customer& customer, const std::string& kind,
                           const std::string& status) {
    auto& records = store_.records(customer.id);
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
        if ((kind.empty() || it->kind == kind) && it->status == status) return &*it;
    }
    return nullptr;
}

Registry::Status Registry::statusOf(const Customer& customer) {
    CertRecord* active = find(customer, "", "active");
    const bool effective = active != nullptr && active->notAfter > now();
    const bool pendingApply = find(customer, "apply", "pending") != nullptr;
    const bool pendingRenew = find(customer, "renew", "pending") != nullptr;
    const bool dueForRenewal =
        effective && active->notAfter - now() <= config_.renewalWindowDays * kDay;
    Status status;
    status.fnStatus += pendingApply ? '2' : (!effective && !pendingRenew) ? '1' : '0';
    status.fnStatus += pendingRenew ? '2' : dueForRenewal ? '1' : '0';
    for (const auto& record : store_.records(customer.id)) {
        ++status.certCount;
        if (record.status == "active" && record.notAfter > now()) ++status.effectCertCount;
    }
    return status;
}

Answer Registry::fnStatus(const Customer& customer) {
    Status status = statusOf(customer);
    Answer answer;
    answer.fields = {{"fnStatus", status.fnStatus},
                     {"certCount", std::to_string(status.certCount)},
                     {"effectCertCount", std::to_string(status.effectCertCount)}};
    return answer;
}

Answer Registry::certificateAnswer(const CertRecord& record) const {
    Answer answer;
    auto cert = DemoCa::fromDer(*codec::unbase64(record.certDer));
    answer.fields = {{"cert", ca_.certificateText(cert.get(), config_.bundleChain)}};
    answer.certInfo = {{"certId", std::to_string(record.certId)},
                       {"serial", record.serialHex},
                       {"notBefore", zulu(record.notBefore)},
                       {"notAfter", zulu(record.notAfter)}};
    return answer;
}

Answer Registry::issue(const Customer& customer, X509_REQ* request, const std::string& kind) {
    CertRecord record;
    record.certId = store_.takeCertId();
    record.kind = kind;
    record.status = "pending";
    record.notBefore = now();
    record.notAfter = record.notBefore + config_.certDays * kDay;
    const uint64_t serial = randomSerial();
    auto cert = ca_.issue(request, customer.cn, serial, record.notBefore, record.notAfter);
    if (!cert) return Answer::refuse("5500", "憑證簽發失敗");
    char hex[17];
    std::snprintf(hex, sizeof hex, "%llX", static_cast<unsigned long long>(serial));
    record.serialHex = hex;
    record.certDer = codec::base64(DemoCa::der(cert.get()));
    store_.records(customer.id).push_back(record);
    if (!store_.save()) return Answer::refuse("5507", "資料儲存失敗");
    return certificateAnswer(record);
}

// The request must verify and name exactly the customer: nothing else is issued.
std::optional<Answer> Registry::checkRequest(const Customer& customer, const std::string& csr,
                                             ssl::X509Req& request) const {
    std::optional<std::string> cn;
    request = DemoCa::parseRequest(csr, cn);
    if (!request) return Answer::refuse("5505", "憑證請求格式錯誤");
    if (cn != customer.cn) return Answer::refuse("5506", "憑證請求的使用者名稱不符");
    return std::nullopt;
}

Answer Registry::applyCert(const Customer& customer, const Call& call) {
    if (param(call, "userId") != customer.id) return Answer::refuse("5502", "使用者代號不符");
    const std::string csr = param(call, "csr");
    if (csr.empty()) {
        CertRecord* pending = find(customer, "apply", "pending");
        if (pending == nullptr) return Answer::refuse("5503", "無待完成的憑證申請");
        return certificateAnswer(*pending);
    }
    if (statusOf(customer).fnStatus[0] != '1') return Answer::refuse("5504", "目前無法申請憑證");
    ssl::X509Req request;
    if (auto refusal = checkRequest(customer, csr, request)) return *refusal;
    return issue(customer, request.get(), "apply");
}

Answer Registry::renewCert(const Customer& customer, const Call& call) {
    CertRecord* active = find(customer, "", "active");
    if (active == nullptr) return Answer::refuse("5601", "查無有效憑證");
    std::string hexSerial = param(call, "hexSerial");
    // toupper takes an unsigned char value: a plain char above 0x7f is negative.
    std::transform(hexSerial.begin(), hexSerial.end(), hexSerial.begin(), [](char c) {
        return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    });
    if (hexSerial != active->serialHex) return Answer::refuse("5602", "憑證序號不符");
    const std::string csr = param(call, "csr");
    const std::string sign = param(call, "sign");
    if (csr.empty() && sign.empty()) {
        CertRecord* pending = find(customer, "renew", "pending");
        if (pending == nullptr) return Answer::refuse("5603", "無待完成的憑證展期");
        return certificateAnswer(*pending);
    }
    if (statusOf(customer).fnStatus[1] != '1') return Answer::refuse("5604", "目前無法展期憑證");
    ssl::X509Req request;
    if (auto refusal = checkRequest(customer, csr, request)) return *refusal;
    auto signature = codec::unbase64(sign);
    auto current = DemoCa::fromDer(*codec::unbase64(active->certDer));
    if (!signature || !ca_.verifyRenewal(*signature, csr, current.get())) {
        return Answer::refuse("5605", "展期簽章驗證失敗");
    }
    return issue(customer, request.get(), "renew");
}

Answer Registry::activeCert(const Customer& customer, const Call& call) {
    const std::string certId = param(call, "certApplyId");
    for (auto& record : store_.records(customer.id)) {
        if (std::to_string(record.certId) != certId || record.status != "pending") continue;
        if (record.kind == "renew") {
            if (CertRecord* replaced = find(customer, "", "active")) replaced->status = "ended";
        }
        record.status = "active";
        record.certPath = param(call, "certPath");
        if (!store_.save()) return Answer::refuse("5507", "資料儲存失敗");
        return Answer{};
    }
    return Answer::refuse("5701", "查無此憑證申請");
}

Answer Registry::qryCert(const Customer& customer) {
    auto& records = store_.records(customer.id);
    if (records.empty()) return Answer::refuse("5801", "查無憑證資料");
    const CertRecord& record = records.back();
    const bool expired = record.notAfter <= now();
    std::string state = "1", message = "有效";
    if (record.status == "pending") state = "0", message = "待啟用";
    if (record.status == "ended") state = "2", message = "已失效";
    if (record.status == "active" && expired) state = "3", message = "已過期";
    Answer answer;
    answer.fields = {
        {"certUserId", customer.id},         {"cn", customer.cn},
        {"serial", record.serialHex},        {"notBefore", zulu(record.notBefore)},
        {"notAfter", zulu(record.notAfter)}, {"state", state},
        {"stateMessage", message},           {"actFlg", record.status == "pending" ? "N" : "Y"}};
    return answer;
}

Answer Registry::qryLastActiveCert(const Customer& customer) {
    CertRecord* active = find(customer, "", "active");
    if (active == nullptr) return Answer::refuse("5802", "查無有效憑證");
    auto der = *codec::unbase64(active->certDer);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(der.data(), der.size(), digest, &length, EVP_sha1(), nullptr);
    Answer answer;
    answer.fields = {{"cn", customer.cn},
                     {"serial", active->serialHex},
                     {"hexSerial", active->serialHex},
                     {"issuer", ca_.issuerText()},
                     {"certHash", codec::upperHex(digest, length)}};
    return answer;
}
