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
    };
    static void SetUpTestSuite() {
        pki = new TestPki();
        for (auto* issued : {&current, &older}) {
            const auto request = pki->newRequest("/CN=A123456789-00/O=Test Bank", issued->key);
            issued->cert = pki->issue(request, issued == &current ? "0x21" : "0x20");
            issued->sha1 = NssTool::fingerprint(issued->cert);
        }
    }
    static void TearDownTestSuite() { delete pki; }

    // "-legacy" for the protection browsers have read longest, "-nokeys" for none of the key.
    static std::string pfxFile(const Issued& issued, const std::string& password,
                               const std::string& option = "") {
        return pki->pkcs12(
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
        return NssStore::importAndVerify(dir, der, password, prompt, sha1);
    }

    static inline TestPki* pki = nullptr;
    static inline Issued current, older;
    TempDir home;
    int dbs = 0, prompts = 0;
    std::string sha1;
};

TEST_F(NssStoreTest, ImportsIntoRealDatabasesAsCertutilThenSeesThem) {
    const std::string primary = "Primär-Pw1";
    const struct {
        const char* name;
        const Issued* held;      // put there by pk12util first
        std::string dbPassword;  // the store's primary password
        std::optional<std::string> answer;
        std::string pfxPassword, given, option;
        int expected;
        int keys;
    } cases[] = {
        {"fresh, AES", nullptr, "", {}, "pw", "pw", "", kOk, 1},
        {"fresh, legacy RC2 and 3DES", nullptr, "", {}, "pw", "pw", "-legacy", kOk, 1},
        {"fresh, non-ASCII password", nullptr, "", {}, "密碼Pw-1", "密碼Pw-1", "", kOk, 1},
        {"same certificate there", &current, "", {}, "pw", "pw", "", kOk, 1},
        {"older certificate there", &older, "", {}, "pw", "pw", "", kOk, 2},
        {"primary password", nullptr, primary, primary, "pw", "pw", "", kOk, 1},
        {"wrong primary password", nullptr, primary, "primär-pw1", "pw", "pw", "", kWrongPassword,
         0},
        {"primary password cancelled", nullptr, primary, {}, "pw", "pw", "", kNoPassword, 0},
        {"wrong PFX password", nullptr, "", {}, "pw", "PW", "", kWrongPfxPassword, 0},
        {"wrong PFX password, legacy", nullptr, "", {}, "pw", "", "-legacy", kWrongPfxPassword, 0},
        {"PFX without key", nullptr, "", {}, "pw", "pw", "-nokeys", kNoKeyInPfx, 0},
    };
    const std::string caPrints[] = {NssTool::fingerprint(pki->issuingCert()),
                                    NssTool::fingerprint(pki->rootCert())};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string dir = newDb(c.dbPassword);
        std::set<std::string> expected;
        if (c.held != nullptr) {
            NssTool::importPfx(dir, pfxFile(*c.held, "pw"), "pw");
            expected = {c.held->sha1, caPrints[0], caPrints[1]};
        }
        prompts = 0;
        const Bytes der = OpensslTool::readFile(pfxFile(current, c.pfxPassword, c.option));
        EXPECT_EQ(importInto(dir, der, c.given, c.answer), c.expected);
        EXPECT_EQ(prompts, c.dbPassword.empty() ? 0 : 1);  // asked once for import and check
        if (c.expected == kOk) {
            EXPECT_EQ(sha1, current.sha1);
            expected.insert(caPrints, caPrints + 2);
            expected.insert(current.sha1);
        }
        EXPECT_EQ(NssTool::fingerprints(dir),
                  std::multiset<std::string>(expected.begin(), expected.end()));
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
