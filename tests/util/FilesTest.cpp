#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/Child.h"
#include "support/FakeDesktop.h"
#include "support/OpensslTool.h"
#include "support/TempDir.h"
#include "util/CommonUtility.h"

namespace {

namespace fs = std::filesystem;

mode_t modeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 0777;
}

class Files : public testing::Test {
  protected:
    // A 1 MiB write in a child that may write no file longer than `limit` bytes: a real write
    // failure, or (with SIGXFSZ left fatal) a writer killed half-way.
    ChildRun writeBeyondLimit(const std::string& path, rlim_t limit, bool killed) {
        return inChild([&] {
            signal(SIGXFSZ, killed ? SIG_DFL : SIG_IGN);
            rlimit bound{limit, limit};
            setrlimit(RLIMIT_FSIZE, &bound);
            return std::string(util.saveFile(path, Bytes(1 << 20, 'B')) ? "saved" : "refused");
        });
    }

    FakeDesktop desktop;
    CommonUtility util{desktop};
    std::string home = desktop.homePath();
};

// The properties store of each user's PFX path and encrypted password.
class Properties : public Files {
  protected:
    void writeStore(const std::string& text) { OpensslTool::writeFile(path, text); }
    std::string readStore() { return util.getFileAsStr(path).value_or("<missing>"); }

    std::string path = home + "/NorvaleCertApplet.Properties";
    std::string pfx = "unchanged", password = "unchanged";
};

TEST_F(Files, WritesAreOwnerOnlyOnNormalisedPathsAndNeverEmpty) {
    // New files and folders are owner-only: the private key cache is written this way too.
    ASSERT_TRUE(util.saveFile(home + "/.voxa/deep\\key.p8", Bytes{'k'}));
    EXPECT_EQ(util.getFile(home + "/.voxa/deep/key.p8"), Bytes{'k'});
    EXPECT_EQ(modeOf(home + "/.voxa/deep"), 0700);
    OpensslTool::writeFile(home + "/user.pfx", std::string("old"));
    chmod((home + "/user.pfx").c_str(), 0644);
    ASSERT_TRUE(util.saveFile(" " + home + "/user.pfx\t", Bytes{'n', 'e', 'w'}));
    EXPECT_EQ(util.getFileAsStr(home + "/user.pfx"), "new");
    EXPECT_EQ(modeOf(home + "/user.pfx"), 0600);
    EXPECT_EQ(namesIn(home), (std::vector<std::string>{".voxa", "user.pfx"}));
    // Empty data, a blank path or text Big5 cannot carry writes nothing and makes no folder;
    // that text goes out as Big5 is the deployment tests' (they read the page back).
    EXPECT_FALSE(util.saveFile(home + "/new/x.bin", Bytes{}));
    EXPECT_FALSE(util.saveFile("  \t", Bytes{1}));
    EXPECT_FALSE(util.saveFile(home + "/new/emoji.html", std::string("😀")));
    EXPECT_FALSE(fs::exists(home + "/new"));
}

// A failed write leaves the previous file whole. What a write killed half-way left behind
// goes with the next write to that folder; the temporary file of a writer still at work, and
// the user's own files, stay.
TEST_F(Files, AFailedWriteKeepsThePreviousFileAndANextWriteRemovesAKilledOnesTemporaryFile) {
    const std::string path = home + "/customer.pfx";
    ASSERT_TRUE(util.saveFile(path, Bytes(100, 'A')));
    EXPECT_EQ(writeBeyondLimit(path, 1024, false).answer, "refused");
    EXPECT_EQ(util.getFile(path), Bytes(100, 'A'));
    EXPECT_EQ(namesIn(home), std::vector<std::string>{"customer.pfx"});

    const ChildRun killed = writeBeyondLimit(path, 4096, true);
    ASSERT_TRUE(WIFSIGNALED(killed.status));
    auto names = namesIn(home);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0].rfind(".norvale-" + std::to_string(killed.pid) + "-customer.pfx.", 0), 0u)
        << names[0];
    std::vector<std::string> kept{".bash_history.backup", ".norvale-notes", ".norvale-12x-a.AbC123",
                                  ".norvale-" + std::to_string(getpid()) + "-other.pfx.AbC123"};
    for (const auto& own : kept) OpensslTool::writeFile(home + "/" + own, std::string("mine"));
    ASSERT_TRUE(util.saveFile(home + "/properties", Bytes{'x'}));
    kept.insert(kept.end(), {"customer.pfx", "properties"});
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(namesIn(home), kept);
}

// Readers never throw (a stream would on a folder); a folder by the name of a page is no
// page: neither removal takes it, nor what is in it.
TEST_F(Files, ReadersGiveNothingForMissingFilesFoldersOrNonUtf8TextAndRemovalTakesNoFolder) {
    OpensslTool::writeFile(home + "/bad.txt", Bytes{0xc3, 0x28});
    OpensslTool::writeFile(home + "/empty", std::string());
    for (const char* name : {"VOXADepCert.1.html/page", "VOXADepCert.2.html", "VOXADepCert.x.html"})
        ASSERT_TRUE(util.saveFile(home + "/" + name, Bytes{'p'}));
    for (const char* name : {"/missing", "/VOXADepCert.1.html"}) {
        EXPECT_FALSE(util.getFile(home + name) || util.getFileAsStr(home + name)) << name;
    }
    EXPECT_FALSE(util.getFileAsStr(home + "/bad.txt").has_value());
    EXPECT_EQ(util.getFile(home + "/empty"), Bytes{});
    util.removeFile(home, "^VOXADepCert\\.[0-9]+\\.html$");
    util.removeFile(home + "/VOXADepCert.1.html");
    EXPECT_EQ(namesIn(home), (std::vector<std::string>{"VOXADepCert.1.html", "VOXADepCert.x.html",
                                                       "bad.txt", "empty"}));
    util.removeFile(home + "/VOXADepCert.x.html");
    EXPECT_EQ(util.getFile(home + "/VOXADepCert.1.html/page"), Bytes{'p'});
    EXPECT_EQ(namesIn(home).size(), 3u);
}

// Two-key triple DES under MD5 of the compiled-in key material, computed by the openssl tool
// from the material itself.
TEST_F(Properties, PasswordCipherMatchesTheOpensslToolAndRefusesMalformedText) {
    OpensslTool::writeFile(home + "/material", std::string("4B2F9A0C71D35E86A4C0193B7E5D2F68"));
    const auto digest = OpensslTool::run({"dgst", "-md5", "-r", home + "/material"});
    for (const std::string plain : {"A123456789", "1234567", "12345678", "密碼Pass!"}) {
        OpensslTool::writeFile(home + "/plain", plain);
        const std::string expected =
            OpensslTool::run({"enc", "-des-ede-cbc", "-K", digest.value_or("").substr(0, 32), "-iv",
                              "0000000000000000", "-in", home + "/plain", "-base64", "-A"})
                .value_or("<failed>");
        EXPECT_EQ(util.des3cbcEncrypt(plain), expected) << plain;
        EXPECT_EQ(util.des3cbcDecrypt(util.base64Decode(expected).value_or(Bytes{})), plain);
    }
    Bytes badPadding = *util.base64Decode(util.des3cbcEncrypt("secret"));
    badPadding.back() ^= 0x55;  // the last block decrypts to garbage padding
    for (const auto& cipherText : {Bytes{}, Bytes(7, 1), Bytes(4104, 0), badPadding}) {
        EXPECT_FALSE(util.des3cbcDecrypt(cipherText).has_value()) << cipherText.size();
    }
    EXPECT_NE(desktop.logText().find("erorCode=-4"), std::string::npos);
    // Stored values that do not decode are no password either.
    const std::string pw = util.des3cbcEncrypt("A123456789");
    for (const auto& stored : {std::string("not base64!"), std::string("QUJD"),
                               pw.substr(0, 12) + "\r" + pw.substr(12)}) {
        writeStore("X_PfxFileName=/p/X.pfx\nX_Password=" + stored + "\n");
        EXPECT_FALSE(util.loadFromProperties("X", pfx, password)) << stored;
    }
    EXPECT_EQ(password, "unchanged");
}

// The ID number is the default PFX password and the browser form's password: the log shows
// its first and last characters only, in the path too.
TEST_F(Properties, RecordingReplacesOwnEntriesKeepsOthersAndLogsNoSecret) {
    writeStore("keep=1\nbroken line\n");
    ASSERT_TRUE(util.saveToProperties("A123456789", "/home/a/A123456789_S.pfx", "TopSecret1"));
    ASSERT_TRUE(util.saveToProperties("B223456789", "/home/b/B.pfx", "other"));
    ASSERT_TRUE(util.saveToProperties("A123456789", "/home/a/x=y.pfx", "second"));
    EXPECT_FALSE(util.loadFromProperties("C323456789", pfx, password));
    ASSERT_TRUE(util.loadFromProperties("B223456789", pfx, password));
    EXPECT_EQ(password, "other");
    ASSERT_TRUE(util.loadFromProperties("A123456789", pfx, password));
    EXPECT_EQ(pfx + "|" + password, "/home/a/x=y.pfx|second");
    const std::string text = readStore();
    EXPECT_NE(text.find("keep=1\n"), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5) << text;
    EXPECT_EQ(text.back(), '\n');
    const std::string log = desktop.logText();
    EXPECT_NE(log.find("save to properties idno=A********9 pfxPath=/home/a/A********9_S.pfx"),
              std::string::npos)
        << log;
    for (const std::string& secret :
         {std::string("A123456789"), std::string("TopSecret1"), util.des3cbcEncrypt("TopSecret1")})
        EXPECT_EQ(log.find(secret), std::string::npos) << secret;
}

// A line break in a value would add lines, maybe another user's, to the store; a folder where
// the store should be is reported, not thrown.
TEST_F(Properties, ValuesWithLineBreaksAreNeverWrittenAndAFolderIsNoStore) {
    ASSERT_TRUE(util.saveToProperties("A123456789", "/p/A.pfx", "pw"));
    const std::string before = readStore();
    const std::pair<std::string, std::string> cases[] = {
        {"A123456789", "/p/x.pfx\nB223456789_PfxFileName=/p/evil.pfx"},
        {"A123456789", "/p/x.pfx\rB=1"},
        {"A123456789", "/p/x\v.pfx"},            // VT and FF end lines for the reader as well
        {"A123456789", "/p/x\xe2\x80\xa8.pfx"},  // a separator the reader splits at too
        {"A1\n2", "/p/x.pfx"},
    };
    for (const auto& [idno, pfx] : cases) {
        EXPECT_FALSE(util.saveToProperties(idno, pfx, "pw")) << pfx;
        EXPECT_EQ(readStore(), before) << pfx;
    }
    fs::remove(path);
    fs::create_directory(path);
    EXPECT_FALSE(util.saveToProperties("A123456789", "/p/A.pfx", "pw"));
    EXPECT_FALSE(util.loadFromProperties("A123456789", pfx, password));
    EXPECT_TRUE(fs::is_directory(path));
}

TEST_F(Properties, FileFormatRules) {
    const std::string pw = util.des3cbcEncrypt("12345678");  // ends in "=" padding
    ASSERT_EQ(pw.back(), '=');
    const std::pair<std::string, std::optional<StringMap>> cases[] = {
        {"A_PfxFileName=/p/A.pfx\r\nA_Password=" + pw + "\r\n",
         StringMap{{"A_PfxFileName", "/p/A.pfx"}, {"A_Password", pw}}},
        {"A_PfxFileName=/p/a=b.pfx\nother=1\n",  // "=" in a path is part of the path
         StringMap{{"A_PfxFileName", "/p/a=b.pfx"}, {"other", "1"}}},
        {"x=A_PfxFileName=y\n", std::nullopt},
        {"k=v\xe2\x80\xa8k2=v2", StringMap{{"k", "v"}, {"k2", "v2"}}},  // a Unicode separator
        {"k=1\nk=2\n", StringMap{{"k", "2"}}},                          // the later line wins
        {"junk\nno equals here\n\n", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        writeStore(text);
        EXPECT_EQ(util.propertiesFileToDictionary(path), expected) << text;
    }
    EXPECT_FALSE(util.propertiesFileToDictionary(home + "/missing").has_value());
}

}  // namespace
