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

struct Issued {
    std::string key, cert, sha1;
};

class NssStoreTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        pki = new TestPki();
        auto issue = [](const std::string& serial) {
            Issued issued;
            const auto request = pki->newRequest("/CN=A123456789-00/O=Test Bank/C=TW", issued.key);
            issued.cert = pki->issue(request, serial);
            issued.sha1 = NssTool::fingerprint(issued.cert);
            return issued;
        };
        current = new Issued(issue("0x21"));
        older = new Issued(issue("0x20"));
        chain = pki->concat({pki->issuingCert(), pki->rootCert()});
    }
    static void TearDownTestSuite() {
        delete pki;
        delete current;
        delete older;
    }

    // A PKCS#12 file made by openssl; "-legacy" for the protection browsers have read longest.
    static std::string pfxFile(const Issued& issued, const std::string& password,
                               std::vector<std::string> options = {}) {
        const std::string path = pki->file("p" + std::to_string(++files) + ".pfx");
        std::vector<std::string> args{"pkcs12",   "-export",          "-in",  issued.cert,
                                      "-passout", "pass:" + password, "-out", path};
        if (std::find(options.begin(), options.end(), "-nokeys") == options.end()) {
            args.insert(args.end(), {"-inkey", issued.key, "-certfile", chain});
        }
        args.insert(args.end(), options.begin(), options.end());
        if (!OpensslTool::run(args)) throw std::runtime_error("openssl pkcs12 failed");
        return path;
    }
    static Bytes pfx(const Issued& issued, const std::string& password,
                     std::vector<std::string> options = {}) {
        return OpensslTool::readFile(pfxFile(issued, password, std::move(options)));
    }

    std::string newDb(const std::string& primaryPassword = "") {
        const std::string dir = home.file("db" + std::to_string(++dbs));
        NssTool::makeDb(dir, primaryPassword);
        return dir;
    }
    int importInto(const std::string& dir, const Bytes& der, const std::string& password,
                   std::optional<std::string> primary = std::nullopt) {
        return NssStore::importAndVerify(
            dir, der, password,
            [&, primary]() {
                ++prompts;
                return primary;
            },
            sha1);
    }

    static TestPki* pki;
    static Issued* current;
    static Issued* older;
    static std::string chain;
    static int files;
    TempDir home;
    int dbs = 0;
    int prompts = 0;
    std::string sha1;
};

TestPki* NssStoreTest::pki = nullptr;
Issued* NssStoreTest::current = nullptr;
Issued* NssStoreTest::older = nullptr;
std::string NssStoreTest::chain;
int NssStoreTest::files = 0;

TEST_F(NssStoreTest, ImportsKeyCertificateAndChainThatCertutilThenLists) {
    const std::multiset<std::string> all{current->sha1, NssTool::fingerprint(pki->issuingCert()),
                                         NssTool::fingerprint(pki->rootCert())};
    const struct {
        const char* name;
        std::string password;
        std::vector<std::string> options;
    } cases[] = {{"AES, SHA-256 MAC", "A123456789", {}},
                 {"legacy RC2 and 3DES", "A123456789", {"-legacy"}},
                 {"non-ASCII password", "密碼Pw-1", {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string dir = newDb();
        EXPECT_EQ(importInto(dir, pfx(*current, c.password, c.options), c.password), kOk);
        EXPECT_EQ(sha1, current->sha1);
        EXPECT_EQ(NssTool::fingerprints(dir), all);
        EXPECT_EQ(NssTool::keyCount(dir), 1);
    }
    EXPECT_EQ(prompts, 0);  // an empty primary password asks for nothing
}

TEST_F(NssStoreTest, KeepsWhatTheStoreHeldAndDuplicatesNothing) {
    const std::string caPrints[] = {NssTool::fingerprint(pki->issuingCert()),
                                    NssTool::fingerprint(pki->rootCert())};
    const struct {
        const char* name;
        const Issued* held;
        int keys;
    } cases[] = {{"the same certificate", current, 1}, {"an older one of the customer", older, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string dir = newDb();
        NssTool::importPfx(dir, pfxFile(*c.held, "pw"), "pw");
        EXPECT_EQ(importInto(dir, pfx(*current, "pw"), "pw"), kOk);
        std::multiset<std::string> expected{current->sha1, caPrints[0], caPrints[1]};
        if (c.held != current) expected.insert(c.held->sha1);
        EXPECT_EQ(NssTool::fingerprints(dir), expected);
        EXPECT_EQ(NssTool::keyCount(dir), c.keys);
    }
}

TEST_F(NssStoreTest, PrimaryPasswordIsAskedOnceAndARefusalChangesNothing) {
    const std::string primary = "Primär-Pw1";
    const struct {
        const char* name;
        std::optional<std::string> answer;
        int expected;
    } cases[] = {{"right", primary, kOk},
                 {"wrong", std::string("primär-pw1"), kWrongPassword},
                 {"cancelled", std::nullopt, kNoPassword}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string dir = newDb(primary);
        prompts = 0;
        EXPECT_EQ(importInto(dir, pfx(*current, "pw"), "pw", c.answer), c.expected);
        EXPECT_EQ(prompts, 1);
        EXPECT_EQ(NssTool::fingerprints(dir).count(current->sha1), c.expected == kOk ? 1u : 0u);
        EXPECT_EQ(NssTool::keyCount(dir, primary).value_or(0), c.expected == kOk ? 1 : 0);
    }
}

TEST_F(NssStoreTest, UnusablePkcs12IsRefusedWithItsReason) {
    const Bytes garbage{'n', 'o', 't', ' ', 'a', ' ', 'p', 'f', 'x'};
    const struct {
        const char* name;
        Bytes der;
        std::string password;
        int expected;
    } cases[] = {
        {"not PKCS#12", garbage, "pw", kNotPkcs12},
        {"wrong password", pfx(*current, "pw"), "PW", kWrongPfxPassword},
        {"wrong password, legacy", pfx(*current, "pw", {"-legacy"}), "", kWrongPfxPassword},
        {"certificate without its key", pfx(*current, "pw", {"-nokeys"}), "pw", kNoKeyInPfx}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string dir = newDb();
        EXPECT_EQ(importInto(dir, c.der, c.password), c.expected);
        EXPECT_TRUE(NssTool::fingerprints(dir).empty());
    }
}

TEST_F(NssStoreTest, VerificationWantsTheKeyNotJustTheCertificate) {
    const std::string dir = newDb();
    // certutil -A adds the certificate alone, as a browser does with a CA certificate.
    ASSERT_TRUE(Process::capture({"certutil", "-A", "-d", "sql:" + dir, "-n", "alone", "-t", ",,",
                                  "-i", current->cert},
                                 std::chrono::seconds(60))
                    .has_value());
    NssStore store;
    ASSERT_EQ(store.open(dir, NssStore::Mode::ReadOnly), kOk);
    EXPECT_EQ(store.verify(current->sha1), kNotVerified);
    EXPECT_EQ(store.verify(older->sha1), kNotVerified);
}

// Root writes through any file mode, so under root the import runs in a child that gave
// root up; the result comes back through a pipe.
int unprivileged(const std::function<int()>& work) {
    if (geteuid() != 0) return work();
    int fds[2];
    if (pipe(fds) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        int rc = -2;
        if (setgid(65534) == 0 && setuid(65534) == 0) rc = work();
        (void)!write(fds[1], &rc, sizeof rc);
        _exit(0);
    }
    close(fds[1]);
    int rc = -3;
    if (read(fds[0], &rc, sizeof rc) != sizeof rc) rc = -4;
    close(fds[0]);
    waitpid(pid, nullptr, 0);
    return rc;
}

TEST_F(NssStoreTest, LockedStoresAndMissingDatabasesAreReportedNotWritten) {
    const std::string locked = newDb();
    chmod(home.path().c_str(), 0755);
    for (const auto& entry : fs::directory_iterator(locked)) chmod(entry.path().c_str(), 0444);
    chmod(locked.c_str(), 0555);
    const Bytes der = pfx(*current, "pw");
    std::string ignored;
    EXPECT_EQ(
        unprivileged([&] { return NssStore::importAndVerify(locked, der, "pw", {}, ignored); }),
        kReadOnly);
    EXPECT_TRUE(NssTool::fingerprints(locked).empty());

    // Opening an empty folder must not make a database in it.
    const std::string empty = home.file("empty");
    fs::create_directories(empty);
    EXPECT_EQ(importInto(empty, der, "pw"), kNoDatabase);
    EXPECT_TRUE(fs::is_empty(empty));
}

TEST_F(NssStoreTest, CreatesAChromiumStyleDatabaseAndListsItsCertificates) {
    const std::string dir = home.file(".pki/nssdb");
    ASSERT_EQ(NssStore::create(dir), kOk);
    EXPECT_EQ(fs::status(dir).permissions() & fs::perms::all, fs::perms::owner_all);
    ASSERT_EQ(importInto(dir, pfx(*older, "pw"), "pw"), kOk);
    ASSERT_EQ(importInto(dir, pfx(*current, "pw"), "pw"), kOk);
    ASSERT_EQ(NssStore::create(dir), kOk);  // an existing database is left alone
    EXPECT_EQ(NssTool::keyCount(dir), 2);
    EXPECT_EQ(prompts, 0);

    NssStore store;
    ASSERT_EQ(store.open(dir, NssStore::Mode::ReadOnly), kOk);
    std::vector<StoredCertificate> certs;
    ASSERT_EQ(store.list(certs), kOk);
    std::map<std::string, StoredCertificate> bySha1;
    for (const auto& cert : certs) bySha1[cert.sha1] = cert;
    ASSERT_EQ(bySha1.size(), 4u);
    for (const Issued* issued : {current, older}) {
        EXPECT_EQ(bySha1[issued->sha1].cn, "A123456789-00");
        EXPECT_TRUE(bySha1[issued->sha1].withKey);
        EXPECT_EQ(bySha1[issued->sha1].notAfter.size(), 14u);
    }
    EXPECT_FALSE(bySha1[NssTool::fingerprint(pki->rootCert())].withKey);
}

}  // namespace
