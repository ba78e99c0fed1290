#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "crypto/CryptoTest.h"
#include "crypto/NssStore.h"
#include "crypto/StoreResult.h"
#include "platform/Process.h"
#include "support/Child.h"
#include "support/NssTool.h"

namespace {

namespace fs = std::filesystem;
using namespace store_result;

class NssStoreTest : public CryptoTest {
  protected:
    struct Held {
        std::string key, cert, sha1;
        TestPki* by;  // the one that issued it
    };
    // The current certificate is valid from now; the others from long before it.
    static void SetUpTestSuite() {
        otherPki = new TestPki("Other");
        const std::string holder = "/CN=A123456789-00/O=Test Bank";
        std::string key;
        const std::string request = pki().newRequest(holder, key);
        current = made(pki(), key, pki().issue(request, "0x21"));
        sameKeyOlder = made(pki(), key, pki().issueStartingAt(request, "0x1f", kBefore));
        older = earlier(pki(), holder, "0x20");
        otherAccount = earlier(pki(), "/CN=A123456789-01/O=Test Bank", "0x22");  // same ID number
        stranger = earlier(pki(), "/CN=B223456789-00/O=Test Bank", "0x23");
        otherIssuer = earlier(*otherPki, holder, "0x24");
        for (TestPki* by : {&pki(), otherPki}) {
            caPrints[by] = {NssTool::fingerprint(by->issuingCert()),
                            NssTool::fingerprint(by->rootCert())};
        }
    }
    static void TearDownTestSuite() { delete otherPki; }
    static Held made(TestPki& by, const std::string& key, const std::string& cert) {
        return {key, cert, NssTool::fingerprint(cert), &by};
    }
    static Held earlier(TestPki& by, const std::string& subject, const std::string& serial) {
        std::string key;
        const std::string request = by.newRequest(subject, key);
        return made(by, key, by.issueStartingAt(request, serial, kBefore));
    }
    // "-legacy" for the protection browsers have read longest, "-nokeys" for none of the key.
    static Bytes pfxOf(const Held& held, const std::string& password, const std::string& option) {
        return OpensslTool::readFile(held.by->pkcs12(
            held.cert, option == "-nokeys" ? "" : held.key, password,
            option == "-legacy" ? std::vector<std::string>{option} : std::vector<std::string>{}));
    }
    std::string newDb(const std::string& primaryPassword = "") {
        const std::string dir = home + "/db" + std::to_string(++dbs);
        NssTool::makeDb(dir, primaryPassword);
        return dir;
    }
    int importInto(const std::string& dir, const Bytes& der, const std::string& password,
                   std::optional<std::string> primary = std::nullopt) {
        auto prompt = [&, primary]() {
            ++prompts;
            return primary;
        };
        result = NssStore::importAndVerify(dir, der, password, prompt);
        return result.rc;
    }

    static constexpr const char* kBefore = "20250101000000Z";
    static inline TestPki* otherPki = nullptr;
    static inline std::map<const TestPki*, std::set<std::string>> caPrints;
    static inline Held current, older, sameKeyOlder, otherAccount, stranger, otherIssuer;
    int dbs = 0, prompts = 0;
    StoreImport result;
};

TEST_F(NssStoreTest, ImportsIntoRealDatabasesAsCertutilThenSeesThem) {
    const std::string primary = "Primär-Pw1";
    struct Case {
        const char* name;
        std::vector<const Held*> held = {};     // put there by pk12util first, each with its key
        std::string db = "";                    // the store's primary password
        std::optional<std::string> typed = {};  // the answer to its prompt
        std::string pfxPassword = "pw", given = "pw", option = "";
        int rc = kOk;
    };
    const Case cases[] = {
        {.name = "fresh, AES"},
        {.name = "fresh, legacy RC2 and 3DES", .option = "-legacy"},
        {.name = "fresh, non-ASCII password", .pfxPassword = "密碼Pw-1", .given = "密碼Pw-1"},
        {.name = "same certificate there", .held = {&current}},
        {.name = "older one for the same key goes, the key stays", .held = {&sameKeyOlder}},
        {.name = "only the holder's older one goes",
         .held = {&older, &otherAccount, &stranger, &otherIssuer}},
        {.name = "primary password", .db = primary, .typed = primary},
        {.name = "wrong primary password", .db = primary, .typed = "x", .rc = kWrongPassword},
        {.name = "primary password cancelled", .db = primary, .rc = kNoPassword},
        {.name = "wrong PFX password", .given = "PW", .rc = kWrongPfxPassword},
        {.name = "wrong, legacy", .given = "", .option = "-legacy", .rc = kWrongPfxPassword},
        {.name = "PFX without key", .option = "-nokeys", .rc = kNoKeyInPfx},
        {.name = "no key, older one stays",
         .held = {&older},
         .option = "-nokeys",
         .rc = kNoKeyInPfx},
    };
    const std::set<const Held*> superseded = {&older, &sameKeyOlder};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string dir = newDb(c.db);
        std::set<std::string> expected;
        int removed = 0, keys = c.rc == kOk;  // every certificate left came with its key
        auto expect = [&](const Held& held, bool withCertificate) {
            expected.insert(caPrints[held.by].begin(), caPrints[held.by].end());
            if (withCertificate) expected.insert(held.sha1);
        };
        for (const Held* held : c.held) {
            NssTool::importPfx(dir, held->by->pkcs12(held->cert, held->key, "pw"), "pw");
            const bool goes = c.rc == kOk && superseded.count(held) != 0;
            removed += goes;
            keys += !goes && held != &current;
            expect(*held, !goes);
        }
        if (c.rc == kOk) expect(current, true);
        prompts = 0;
        EXPECT_EQ(importInto(dir, pfxOf(current, c.pfxPassword, c.option), c.given, c.typed), c.rc);
        EXPECT_EQ(prompts, c.db.empty() ? 0 : 1);  // asked once for import and check
        EXPECT_EQ(result.removed, removed);
        EXPECT_FALSE(result.supersededLeft);
        EXPECT_EQ(result.certSha1, c.rc == kOk ? current.sha1 : "");
        // Certificates of one CA pair listed once however many PFX files brought them.
        const auto listed = NssTool::fingerprints(dir);
        EXPECT_EQ(std::multiset<std::string>(expected.begin(), expected.end()), listed);
        EXPECT_EQ(NssTool::keyCount(dir, c.db).value_or(0), keys);
    }
}

// Root writes through any file mode, so under root the work runs in a child that gave root up.
int unprivileged(const std::function<int()>& work) {
    if (geteuid() != 0) return work();
    const ChildRun run = inChild(
        [&] { return std::to_string(setgid(65534) == 0 && setuid(65534) == 0 ? work() : -2); });
    return run.answer.empty() ? -1 : std::stoi(run.answer);
}

// A store that has the certificate but not its key is no store the browser can sign with.
TEST_F(NssStoreTest, WritesNeitherALockedStoreNorAFolderWithoutDatabaseAndWantsTheKey) {
    const std::string locked = newDb();
    chmod(home.c_str(), 0755);
    for (const auto& entry : fs::directory_iterator(locked)) chmod(entry.path().c_str(), 0444);
    chmod(locked.c_str(), 0555);
    const Bytes der = pfxOf(current, "pw", "");
    EXPECT_EQ(unprivileged([&] { return importInto(locked, der, "pw"); }), kReadOnly);
    EXPECT_TRUE(NssTool::fingerprints(locked).empty());

    const std::string empty = home + "/empty";
    fs::create_directories(empty);
    EXPECT_EQ(importInto(empty, der, "pw"), kNoDatabase);
    EXPECT_TRUE(fs::is_empty(empty));

    const std::string certOnly = newDb();
    ASSERT_TRUE(Process::capture(
        {"certutil", "-A", "-d", "sql:" + certOnly, "-n", "alone", "-t", ",,", "-i", current.cert},
        std::chrono::seconds(60)));
    NssStore store;
    ASSERT_EQ(store.open(certOnly, NssStore::Mode::ReadOnly), kOk);
    EXPECT_EQ(store.verify(current.sha1), kNotVerified);
}

}  // namespace
