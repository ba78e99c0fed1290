#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "crypto/NssStore.h"
#include "crypto/StoreResult.h"
#include "platform/Process.h"
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
    // The current certificate, valid from now; the others from long before it.
    static void SetUpTestSuite() {
        pki = new TestPki();
        otherPki = new TestPki("Other");
        const std::string holder = "/CN=A123456789-00/O=Test Bank", before = "20250101000000Z";
        auto make = [&](Issued& issued, TestPki& by, const std::string& subject,
                        const std::string& serial) {
            issued.cert = by.issueStartingAt(by.newRequest(subject, issued.key), serial, before);
            issued.by = &by;
            issued.sha1 = NssTool::fingerprint(issued.cert);
            issued.caPrints = {NssTool::fingerprint(by.issuingCert()),
                               NssTool::fingerprint(by.rootCert())};
        };
        const std::string request = pki->newRequest(holder, current.key);
        current.cert = pki->issue(request, "0x21");
        current.sha1 = NssTool::fingerprint(current.cert);
        current.by = pki;
        current.caPrints = {NssTool::fingerprint(pki->issuingCert()),
                            NssTool::fingerprint(pki->rootCert())};
        make(older, *pki, holder, "0x20");
        sameKeyOlder = current;
        sameKeyOlder.cert = pki->issueStartingAt(request, "0x1f", before);
        sameKeyOlder.sha1 = NssTool::fingerprint(sameKeyOlder.cert);
        make(otherAccount, *pki, "/CN=A123456789-01/O=Test Bank", "0x22");  // same ID number
        make(stranger, *pki, "/CN=B223456789-00/O=Test Bank", "0x23");
        make(otherIssuer, *otherPki, holder, "0x24");
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
    using Held = std::vector<const Issued*>;
    const struct {
        const char* name;
        Held held;               // put there by pk12util first, each with its key
        std::string dbPassword;  // the store's primary password
        std::optional<std::string> answer;
        std::string pfxPassword, given, option;
        int expected;
        int keys;
    } cases[] = {
        {"fresh, AES", {}, "", {}, "pw", "pw", "", kOk, 1},
        {"fresh, legacy RC2 and 3DES", {}, "", {}, "pw", "pw", "-legacy", kOk, 1},
        {"fresh, non-ASCII password", {}, "", {}, "密碼Pw-1", "密碼Pw-1", "", kOk, 1},
        {"same certificate there", {&current}, "", {}, "pw", "pw", "", kOk, 1},
        {"older one of the holder goes with its key", {&older}, "", {}, "pw", "pw", "", kOk, 1},
        {"older one for the same key goes, the key stays",
         {&sameKeyOlder},
         "",
         {},
         "pw",
         "pw",
         "",
         kOk,
         1},
        {"only the holder's older one goes",
         {&older, &otherAccount, &stranger, &otherIssuer},
         "",
         {},
         "pw",
         "pw",
         "",
         kOk,
         4},
        {"primary password", {}, primary, primary, "pw", "pw", "", kOk, 1},
        {"wrong primary password", {}, primary, "primär-pw1", "pw", "pw", "", kWrongPassword, 0},
        {"primary password cancelled", {}, primary, {}, "pw", "pw", "", kNoPassword, 0},
        {"wrong PFX password", {}, "", {}, "pw", "PW", "", kWrongPfxPassword, 0},
        {"wrong PFX password, legacy", {}, "", {}, "pw", "", "-legacy", kWrongPfxPassword, 0},
        {"PFX without key", {}, "", {}, "pw", "pw", "-nokeys", kNoKeyInPfx, 0},
        {"PFX without key leaves the older one",
         {&older},
         "",
         {},
         "pw",
         "pw",
         "-nokeys",
         kNoKeyInPfx,
         1},
    };
    const std::set<const Issued*> superseded = {&older, &sameKeyOlder};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string dir = newDb(c.dbPassword);
        std::multiset<std::string> expected;
        int removed = 0;
        for (const Issued* held : c.held) {
            NssTool::importPfx(dir, pfxFile(*held, "pw"), "pw");
            if (c.expected == kOk && superseded.count(held) != 0) {
                ++removed;
            } else if (held != &current) {
                expected.insert(held->sha1);
            }
            expected.insert(held->caPrints.begin(), held->caPrints.end());
        }
        prompts = 0;
        const Bytes der = OpensslTool::readFile(pfxFile(current, c.pfxPassword, c.option));
        EXPECT_EQ(importInto(dir, der, c.given, c.answer), c.expected);
        EXPECT_EQ(prompts, c.dbPassword.empty() ? 0 : 1);  // asked once for import and check
        EXPECT_EQ(result.removed, removed);
        EXPECT_FALSE(result.supersededLeft);
        if (c.expected == kOk) {
            EXPECT_EQ(result.certSha1, current.sha1);
            expected.insert(current.sha1);
            expected.insert(current.caPrints.begin(), current.caPrints.end());
        }
        // Certificates of one CA pair listed once however many PFX files brought them.
        const auto listed = NssTool::fingerprints(dir);
        EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()),
                  std::set<std::string>(expected.begin(), expected.end()));
        EXPECT_EQ(listed.size(), std::set<std::string>(listed.begin(), listed.end()).size());
        EXPECT_EQ(NssTool::keyCount(dir, c.dbPassword).value_or(0), c.keys);
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

// Root writes through any file mode, so under root the work runs in a child that gave root
// up; the result comes back through a pipe.
int unprivileged(const std::function<int()>& work) {
    if (geteuid() != 0) return work();
    int fds[2];
    if (pipe(fds) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        int rc = setgid(65534) == 0 && setuid(65534) == 0 ? work() : -2;
        _exit(write(fds[1], &rc, sizeof rc) == sizeof rc ? 0 : 1);
    }
    close(fds[1]);
    int rc = -3;
    if (read(fds[0], &rc, sizeof rc) != sizeof rc) rc = -4;
    close(fds[0]);
    waitpid(pid, nullptr, 0);
    return rc;
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
