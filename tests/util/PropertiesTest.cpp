#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/FakeDesktop.h"
#include "support/OpensslTool.h"
#include "util/CommonUtility.h"

namespace {

// Two-key triple DES under MD5 of the compiled-in key material, computed by the openssl
// tool from the material itself.
std::string opensslDes3(const std::string& home, const std::string& plain) {
    OpensslTool::writeFile(home + "/material", std::string("4B2F9A0C71D35E86A4C0193B7E5D2F68"));
    auto digest = OpensslTool::run({"dgst", "-md5", "-r", home + "/material"});
    EXPECT_TRUE(digest.has_value());
    OpensslTool::writeFile(home + "/plain", plain);
    auto out = OpensslTool::run({"enc", "-des-ede-cbc", "-K", digest->substr(0, 32), "-iv",
                                 "0000000000000000", "-in", home + "/plain", "-base64", "-A"});
    EXPECT_TRUE(out.has_value());
    return out.value_or("");
}

class Properties : public testing::Test {
  protected:
    FakeDesktop desktop;
    CommonUtility util{desktop};
    std::string home = desktop.homePath();
    std::string path = home + "/NorvaleCertApplet.Properties";

    void writeStore(const std::string& text) { OpensslTool::writeFile(path, text); }
    std::string readStore() { return util.getFileAsStr(path).value_or("<missing>"); }
};

TEST_F(Properties, PasswordCipherMatchesTheOpensslTool) {
    for (const std::string password : {"A123456789", "1234567", "12345678", "密碼Pass!"}) {
        const std::string expected = opensslDes3(home, password);
        EXPECT_EQ(util.des3cbcEncrypt(password), expected) << password;
        auto decoded = util.base64Decode(expected);
        ASSERT_TRUE(decoded.has_value());
        EXPECT_EQ(util.des3cbcDecrypt(*decoded), password);
    }
    EXPECT_EQ(util.des3cbcEncrypt("1234567").size(), 12u);   // one block
    EXPECT_EQ(util.des3cbcEncrypt("12345678").size(), 24u);  // a whole block of padding
}

TEST_F(Properties, MalformedCipherTextYieldsNoPassword) {
    auto good = *util.base64Decode(util.des3cbcEncrypt("secret"));
    Bytes badPadding = good;
    badPadding.back() ^= 0x55;  // the last block decrypts to garbage padding
    const std::vector<Bytes> cases{Bytes{}, Bytes(7, 1), Bytes(4104, 0), badPadding};
    for (const auto& cipherText : cases) {
        EXPECT_FALSE(util.des3cbcDecrypt(cipherText).has_value()) << cipherText.size();
    }
    EXPECT_NE(desktop.logText().find("erorCode=-4"), std::string::npos);
}

TEST_F(Properties, RecordingKeepsOtherUsersAndReplacesOwnEntries) {
    ASSERT_TRUE(util.saveToProperties("A123456789", "/home/a/A.pfx", "first"));
    ASSERT_TRUE(util.saveToProperties("B223456789", "/home/b/B.pfx", "other"));
    ASSERT_TRUE(util.saveToProperties("A123456789", "/home/a/A2.pfx", "second"));
    std::string pfx, password;
    ASSERT_TRUE(util.loadFromProperties("A123456789", pfx, password));
    EXPECT_EQ(pfx, "/home/a/A2.pfx");
    EXPECT_EQ(password, "second");
    ASSERT_TRUE(util.loadFromProperties("B223456789", pfx, password));
    EXPECT_EQ(password, "other");
    EXPECT_FALSE(util.loadFromProperties("C323456789", pfx, password));
    ASSERT_TRUE(util.saveToProperties("C323456789", "/home/c/x=y.pfx", "third"));
    ASSERT_TRUE(util.loadFromProperties("C323456789", pfx, password));
    EXPECT_EQ(pfx, "/home/c/x=y.pfx");
    const std::string text = readStore();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 6);
    EXPECT_EQ(text.back(), '\n');
}

// The ID number is the default PFX password and the browser form's password: the log shows
// its first and last characters only, in the path too.
TEST_F(Properties, NoPasswordCipherTextOrIdNumberIsLogged) {
    ASSERT_TRUE(util.saveToProperties("A123456789", "/home/a/A123456789_S.pfx", "TopSecret1"));
    const std::string log = desktop.logText();
    EXPECT_NE(log.find("save to properties idno=A********9 pfxPath=/home/a/A********9_S.pfx"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("A123456789"), std::string::npos) << log;
    EXPECT_EQ(log.find("TopSecret1"), std::string::npos);
    EXPECT_EQ(log.find(util.des3cbcEncrypt("TopSecret1")), std::string::npos);
}

// A line break in a value would add lines, maybe another user's, to the store.
TEST_F(Properties, ValuesWithLineBreaksAreNeverWritten) {
    ASSERT_TRUE(util.saveToProperties("A123456789", "/p/A.pfx", "pw"));
    const std::string before = readStore();
    const std::vector<std::pair<std::string, std::string>> cases{
        {"A123456789", "/p/x.pfx\nB223456789_PfxFileName=/p/evil.pfx"},
        {"A123456789", "/p/x.pfx\rB=1"},
        {"A123456789", "/p/x\xe2\x80\xa8.pfx"},  // a separator the reader splits at too
        {"A1\n2", "/p/x.pfx"},
    };
    for (const auto& [idno, pfx] : cases) {
        EXPECT_FALSE(util.saveToProperties(idno, pfx, "pw")) << pfx;
        EXPECT_EQ(readStore(), before) << pfx;
    }
}

// A folder where the store should be: nothing read, the write reported, no exception.
TEST_F(Properties, AFolderInPlaceOfTheStoreIsReportedNotThrown) {
    std::filesystem::create_directory(path);
    EXPECT_FALSE(util.propertiesFileToDictionary(path).has_value());
    EXPECT_FALSE(util.saveToProperties("A123456789", "/p/A.pfx", "pw"));
}

TEST_F(Properties, FileFormatRules) {
    const std::string pw = util.des3cbcEncrypt("12345678");  // ends in "=" padding
    ASSERT_EQ(pw.back(), '=');
    struct Case {
        std::string text;
        std::optional<StringMap> expected;
    };
    const std::vector<Case> cases{
        {"A_PfxFileName=/p/A.pfx\r\nA_Password=" + pw + "\r\n",
         StringMap{{"A_PfxFileName", "/p/A.pfx"}, {"A_Password", pw}}},
        {"A_PfxFileName=/p/a=b.pfx\nother=1\n",  // "=" in a path is part of the path
         StringMap{{"A_PfxFileName", "/p/a=b.pfx"}, {"other", "1"}}},
        {"x=A_PfxFileName=y\n", std::nullopt},
        {"k=v\xe2\x80\xa8k2=v2", StringMap{{"k", "v"}, {"k2", "v2"}}},  // a Unicode separator
        {"k=1\nk=2\n", StringMap{{"k", "2"}}},                          // the later line wins
        {"junk\nno equals here\n\n", std::nullopt},
        {"a=b=c\n", std::nullopt},
    };
    for (const auto& c : cases) {
        writeStore(c.text);
        EXPECT_EQ(util.propertiesFileToDictionary(path), c.expected) << c.text;
    }
    EXPECT_FALSE(util.propertiesFileToDictionary(home + "/missing").has_value());
}

TEST_F(Properties, WritingDropsUnreadableLinesAndIsOwnerOnly) {
    writeStore("keep=1\nbroken line\n");
    ASSERT_TRUE(util.saveToProperties("A123456789", "/p/A.pfx", "pw"));
    const std::string text = readStore();
    EXPECT_NE(text.find("keep=1\n"), std::string::npos);
    EXPECT_EQ(text.find("broken"), std::string::npos);
    EXPECT_NE(text.find("A123456789_PfxFileName=/p/A.pfx\n"), std::string::npos);
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(Properties, StoredValuesThatDoNotDecodeAreNoPassword) {
    const std::string pw = util.des3cbcEncrypt("A123456789");
    std::string pfx = "unchanged", password = "unchanged";
    const std::vector<std::string> storedValues{"not base64!", "QUJD",
                                                pw.substr(0, 12) + "\r" + pw.substr(12)};
    for (const auto& stored : storedValues) {
        writeStore("X_PfxFileName=/p/X.pfx\nX_Password=" + stored + "\n");
        EXPECT_FALSE(util.loadFromProperties("X", pfx, password)) << stored;
    }
    EXPECT_EQ(password, "unchanged");
}

}  // namespace
