#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/FakeDesktop.h"
#include "support/OpensslTool.h"
#include "util/CommonUtility.h"

namespace {

class Properties : public testing::Test {
  protected:
    // Two-key triple DES under MD5 of the compiled-in key material, computed by the openssl
    // tool from the material itself.
    std::string opensslDes3(const std::string& plain) {
        OpensslTool::writeFile(home + "/material", std::string("4B2F9A0C71D35E86A4C0193B7E5D2F68"));
        OpensslTool::writeFile(home + "/plain", plain);
        const auto digest = OpensslTool::run({"dgst", "-md5", "-r", home + "/material"});
        return OpensslTool::run({"enc", "-des-ede-cbc", "-K", digest.value_or("").substr(0, 32),
                                 "-iv", "0000000000000000", "-in", home + "/plain", "-base64",
                                 "-A"})
            .value_or("<failed>");
    }
    void writeStore(const std::string& text) { OpensslTool::writeFile(path, text); }
    std::string readStore() { return util.getFileAsStr(path).value_or("<missing>"); }

    FakeDesktop desktop;
    CommonUtility util{desktop};
    std::string home = desktop.homePath();
    std::string path = home + "/NorvaleCertApplet.Properties";
    std::string pfx = "unchanged", password = "unchanged";
};

TEST_F(Properties, PasswordCipherMatchesTheOpensslToolAndRefusesMalformedText) {
    for (const std::string plain : {"A123456789", "1234567", "12345678", "密碼Pass!"}) {
        const std::string expected = opensslDes3(plain);
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

TEST_F(Properties, RecordingReplacesOwnEntriesKeepsOthersAndDropsUnreadableLines) {
    writeStore("keep=1\nbroken line\n");
    ASSERT_TRUE(util.saveToProperties("A123456789", "/home/a/A.pfx", "first"));
    ASSERT_TRUE(util.saveToProperties("B223456789", "/home/b/B.pfx", "other"));
    ASSERT_TRUE(util.saveToProperties("A123456789", "/home/a/x=y.pfx", "second"));
    EXPECT_FALSE(util.loadFromProperties("C323456789", pfx, password));
    ASSERT_TRUE(util.loadFromProperties("B223456789", pfx, password));
    EXPECT_EQ(password, "other");
    ASSERT_TRUE(util.loadFromProperties("A123456789", pfx, password));
    EXPECT_EQ(pfx, "/home/a/x=y.pfx");
    EXPECT_EQ(password, "second");
    const std::string text = readStore();
    EXPECT_NE(text.find("keep=1\n"), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5) << text;
    EXPECT_EQ(text.back(), '\n');
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
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
    const std::pair<std::string, std::string> cases[] = {
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
    EXPECT_FALSE(util.loadFromProperties("A123456789", pfx, password));
    EXPECT_TRUE(std::filesystem::is_directory(path));
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
        {"a=b=c\n", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        writeStore(text);
        EXPECT_EQ(util.propertiesFileToDictionary(path), expected) << text;
    }
    EXPECT_FALSE(util.propertiesFileToDictionary(home + "/missing").has_value());
}

}  // namespace
