#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "crypto/NssStore.h"
#include "crypto/StoreResult.h"
#include "platform/Process.h"
#include "support/Child.h"
#include "support/NssTool.h"
#include "support/OpensslTool.h"
#include "support/TestPki.h"

namespace {

namespace fs = std::filesystem;
using namespace store_result;

class NssStoreTest : public testing::Test {
  protected:
    struct Issued {
        std::string key, cert, sha1;
        TestPki* by;  // the one that issued it
        std::vector<std::string> caPrints;
    };
    // The current certificate is valid from now; the others from long before it.
    static void SetUpTestSuite() {
        pki = new TestPki();
        otherPki = new TestPki("Other");
        const std::string holder = "/CN=A123456789-00/O=Test Bank", before = "20250101000000Z";
        auto issued = [](TestPki& by, const std::string& key, const std::string& cert) {
            return Issued{
                key,
                cert,
                NssTool::fingerprint(cert),
                &by,
                {NssTool::fingerprint(by.issuingCert()), NssTool::fingerprint(by.rootCert())}};
        };
        auto earlier = [&](TestPki& by, const std::string& subject, const std::string& serial) {
            std::string key;
            const std::string request = by.newRequest(subject, key);
            return issued(by, key, by.issueStartingAt(request, serial, before));
        };
        std::string key;
        const std::string request = pki->newRequest(holder, key);
        current = issued(*pki, key, pki->issue(request, "0x21"));
        sameKeyOlder = issued(*pki, key, pki->issueStartingAt(request, "0x1f", before));
        older = earlier(*pki, holder, "0x20");
        otherAccount = earlier(*pki, "/CN=A123456789-01/O=Test Bank", "0x22");  // same ID number
        stranger = earlier(*pki, "/CN=B223456789-00/O=Test Bank", "0x23");
        otherIssuer = earlier(*otherPki, holder, "0x24");
    }
    static void TearDownTestSuite() {
        delete pki;
        delete otherPki;
    }

    // "-legacy" for the protection browsers have read longest, "-nokeys" for none of the key.
    static std::string pfxFile(const Issued& issued, const std::string& password,
                               const std::string& option = "") {
        return issued.by->pkcs12(
            issued.cert, option == "-nokeys" ? "" : issued.key, password,
            option == "-legacy" ? std::vector<std::string>{option} : std::vector<std::string>{});
    }

    std::string newDb(const std::string& primaryPassword = "") {
        const std::string dir = home.file("db" + std::to_string(++dbs));
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

    static inline TestPki *pki = nullptr, *otherPki = nullptr;
    static inline Issued current, older, sameKeyOlder, otherAccount, stranger, otherIssuer;
    TempDir home;
    int dbs = 0, prompts = 0;
    StoreImport result;
};

TEST_F(NssStoreTest, ImportsIntoRealDatabasesAsCertutilThenSeesThem) {
    const std::string primary = "Primär-Pw1";
    struct Case {
        const char* name;
        std::vector<const Issued*> held = {};   // put there by pk12util first, each with its key
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
        {.name = "older one of the holder goes with its key", .held = {&older}},
        {.name = "older one for the same key goes, the key stays", .held = {&sameKeyOlder}},
        {.name = "only the holder's older one goes",
         .held = {&older, &otherAccount, &stranger, &otherIssuer}},
        {.name = "primary password", .db = primary, .typed = primary},
        {.name = "wrong primary password", .db = primary, .typed = "x", .rc = kWrongPassword},
        {.name = "primary password cancelled", .db = primary, .rc = kNoPassword},
        {.name = "wrong PFX password", .given = "PW", .rc = kWrongPfxPassword},
        {.name = "wrong PFX password, legacy",
         .given = "",
         .option = "-legacy",
         .rc = kWrongPfxPassword},
        {.name = "PFX without key", .option = "-nokeys", .rc = kNoKeyInPfx},
        {.name = "PFX without key leaves the older one",
         .held = {&older},
         .option = "-nokeys",
         .rc = kNoKeyInPfx},
    };
    const std::set<const Issued*> superseded = {&older, &sameKeyOlder};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string dir = newDb(c.db);
        std::multiset<std::string> expected;
        int removed = 0, keys = c.rc == kOk;  // every certificate left came with its key
        for (const Issued* held : c.held) {
            NssTool::importPfx(dir, pfxFile(*held, "pw"), "pw");
            if (c.rc == kOk && superseded.count(held) != 0) {
                ++removed;
            } else if (held != &current) {
                expected.insert(held->sha1);
                ++keys;
            }
            expected.insert(held->caPrints.begin(), held->caPrints.end());
        }
        prompts = 0;
        const Bytes der = OpensslTool::readFile(pfxFile(current, c.pfxPassword, c.option));
        EXPECT_EQ(importInto(dir, der, c.given, c.typed), c.rc);
        EXPECT_EQ(prompts, c.db.empty() ? 0 : 1);  // asked once for import and check
        EXPECT_EQ(result.removed, removed);
        EXPECT_FALSE(result.supersededLeft);
        if (c.rc == kOk) {
            EXPECT_EQ(result.certSha1, current.sha1);
            expected.insert(current.sha1);
            expected.insert(current.caPrints.begin(), current.caPrints.end());
        }
        // Certificates of one CA pair listed once however many PFX files brought them.
        const auto listed = NssTool::fingerprints(dir);
        EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()),
                  std::set<std::string>(expected.begin(), expected.end()));
        EXPECT_EQ(listed.size(), std::set<std::string>(listed.begin(), listed.end()).size());
        EXPECT_EQ(NssTool::keyCount(dir, c.db).value_or(0), keys);
    }
}

TEST_F(NssStoreTest, VerificationWantsTheKeyNotJustTheCertificate) {
    const std::string dir = newDb();
    ASSERT_TRUE(Process::capture(
        {"certutil", "-A", "-d", "sql:" + dir, "-n", "alone", "-t", ",,", "-i", current.cert},
        std::chrono::seconds(60)));
    NssStore store;
    ASSERT_EQ(store.open(dir, NssStore::Mode::ReadOnly), kOk);
    EXPECT_EQ(store.verify(current.sha1), kNotVerified);
}

// Root writes through any file mode, so under root the work runs in a child that gave root up.
int unprivileged(const std::function<int()>& work) {
    if (geteuid() != 0) return work();
    const ChildRun run = inChild(
        [&] { return std::to_string(setgid(65534) == 0 && setuid(65534) == 0 ? work() : -2); });
    return run.answer.empty() ? -1 : std::stoi(run.answer);
}

TEST_F(NssStoreTest, WritesNeitherALockedStoreNorAFolderWithoutDatabase) {
    const std::string locked = newDb();
    chmod(home.path().c_str(), 0755);
    for (const auto& entry : fs::directory_iterator(locked)) chmod(entry.path().c_str(), 0444);
    chmod(locked.c_str(), 0555);
    const Bytes der = OpensslTool::readFile(pfxFile(current, "pw"));
    EXPECT_EQ(unprivileged([&] { return importInto(locked, der, "pw"); }), kReadOnly);
    EXPECT_TRUE(NssTool::fingerprints(locked).empty());

    const std::string empty = home.file("empty");
    fs::create_directories(empty);
    EXPECT_EQ(importInto(empty, der, "pw"), kNoDatabase);
    EXPECT_TRUE(fs::is_empty(empty));
}

}  // namespace
