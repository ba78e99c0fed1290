#include <gtest/gtest.h>
#include <openssl/pem.h>

#include <filesystem>

#include "service/ErrorMessages.h"
#include "service/ZOLTLib.h"
#include "support/FakeDesktop.h"
#include "support/OpensslTool.h"

namespace {

class ZOLTLibOffline : public testing::Test {
  protected:
    FakeDesktop desktop;
    ZOLTLib lib{desktop, ServiceEndpoint{"svc.example:8443", "", ""}};
};

TEST_F(ZOLTLibOffline, PfxPathPlaceholdersAreReplacedInOrderOnce) {
    const std::string home = desktop.homePath();
    lib.setSvrCfg(StringMap{{"default.macPfxFilePath", "#userHome#/"},
                            {"default.pfxFileName", "#desktop#_#userId#_#cn#_#custType#.pfx"},
                            {"env.userHome", home},
                            {"env.userDeskTop", "desk#userId#"}});
    EXPECT_FALSE(lib.getSysCfg("env.userPfxFilePath").has_value());  // nobody logged in yet
    lib.setUserIdno("A123");
    lib.setCn("A123-00");
    lib.setCustType("FT");
    // "#desktop#" goes before "#userId#", so an ID placeholder inside its value is replaced too.
    EXPECT_EQ(lib.getSysCfg("env.userPfxFilePath"), home + "/deskA123_A123_A123-00_F.pfx");
    lib.setUserIdno("B456");
    lib.setCustType("S");
    EXPECT_EQ(lib.getSysCfg("env.userPfxFilePath"), home + "/deskA123_A123_A123-00_F.pfx");
    EXPECT_EQ(lib.getCurrentPfxFilePath(), home + "/deskA123_A123_A123-00_F.pfx");
}

// The configured path must name a visible file inside the home folder; anything else means
// no default path, so that the save dialog asks.
TEST_F(ZOLTLibOffline, HostileConfiguredPfxPathsGiveNoDefaultPath) {
    const std::string home = desktop.homePath();
    std::filesystem::create_directory_symlink("/tmp", home + "/out");
    std::filesystem::create_directory(home + "/in");
    std::filesystem::create_directory_symlink(home + "/in", home + "/link");
    // A neighbour whose name starts like the home folder's is still outside it.
    std::filesystem::create_directory(home + "-old");
    std::filesystem::create_directory_symlink(home + "-old", home + "/neighbour");
    const struct {
        std::string folder, file;
        std::optional<std::string> expected;
    } cases[] = {
        {"#userHome#\\", "#userId#_#custType#.pfx", home + "/A123456789_S.pfx"},
        {"#userHome#//sub/..\\.", "/#userId#.pfx", home + "/A123456789.pfx"},
        {"#userHome#\\桌面\\", "#userId#.pfx", home + "/桌面/A123456789.pfx"},
        {"#userHome#/link/", "#userId#.pfx", home + "/link/A123456789.pfx"},
        {"#userHome#/out/", "#userId#.pfx", std::nullopt},
        {"#userHome#/neighbour/", "#userId#.pfx", std::nullopt},
        {"#userHome#/a/.hidden/", "#userId#.pfx", std::nullopt},
        {"#userHome#/", ".bashrc", std::nullopt},
        {"#userHome#\\..\\", "#userId#.pfx", std::nullopt},
        {"/etc/", "#userId#.pfx", std::nullopt},
        {"", "#userId#.pfx", std::nullopt},
        {"#userHome#/", "", std::nullopt},
        {"#userHome#/", "a\rB223456789_PfxFileName=x.pfx", std::nullopt},
        {"#userHome#/", "a\xe2\x80\xa8.pfx", std::nullopt},  // a line separator
        {"#userHome#/", "a\xc2\x85.pfx", std::nullopt},
        {"/../../../..#userHome#/", "#userId#.pfx", std::nullopt},
    };
    for (const auto& c : cases) {
        ZOLTLib client{desktop, ServiceEndpoint{"svc.example:8443", "", ""}};
        client.setSvrCfg(StringMap{{"default.macPfxFilePath", c.folder},
                                   {"default.pfxFileName", c.file},
                                   {"env.userHome", home}});
        client.setUserIdno("A123456789");
        EXPECT_EQ(client.getSysCfg("env.userPfxFilePath"), c.expected.value_or(""))
            << c.folder << c.file;
    }
    std::filesystem::remove(home + "-old");
    // The log says why, without the path and its ID number.
    const std::string log = desktop.logText();
    EXPECT_NE(log.find("no default PFX path: it names a hidden file or folder"), std::string::npos)
        << log;
    EXPECT_EQ(log.find("A123456789"), std::string::npos) << log;
}

TEST_F(ZOLTLibOffline, InstallerIsNamedByItsAddressWhenThatIsAPlainVisibleName) {
    EXPECT_EQ(ZOLTLib::installerName("https://h/dl/Norvale%20Setup%202.0.pkg?token=1#x"),
              "Norvale Setup 2.0.pkg");
    EXPECT_EQ(ZOLTLib::installerName("https://h/dl/%E6%86%91%E8%AD%89.pkg"), "憑證.pkg");
    for (const char* url :
         {"https://h", "https://h/dl/", "https://h/dl/..", "https://h/dl/a%2F..%2F..%2Fb",
          "https://h/dl/a%0Ab.pkg", "https://h/dl/%FF.pkg"}) {
        EXPECT_EQ(ZOLTLib::installerName(url), "NorvaleCertClient.pkg") << url;
    }
}

TEST_F(ZOLTLibOffline, CountsAreTheLeadingInteger) {
    const std::pair<std::string, int> cases[] = {
        {" 12abc", 12}, {"", 0}, {"-2", -2}, {"+7", 7}, {"99999999999", 2147483647}};
    for (const auto& [text, value] : cases) EXPECT_EQ(ZOLTLib::leadingInt(text), value) << text;
}

// Known codes' texts and the fallback to the number are the workflow tests'
// (ErrorMessagesFallBackToTheCode).
TEST(ErrorTable, ParseKeepsEqualsInTextsAndSkipsCommentsAndBadLines) {
    EXPECT_EQ(ErrorMessages::parse("# note\r\n1=a=b\r\nbad line\n2=\n"),
              (std::map<std::string, std::string>{{"1", "a=b"}, {"2", ""}}));
}

// What the build configured, whichever service that is (the demo one by default): the host,
// the envelope key and the TLS trust anchor of the CMake cache variables, and a key of the
// size the envelope's blocks have.
TEST(CompiledInEndpoint, IsWhatTheBuildConfigured) {
    auto endpoint = ServiceEndpoint::compiledIn();
    auto text = [](const std::string& path) {
        return path.empty() ? std::string() : OpensslTool::readText(path);
    };
    EXPECT_EQ(endpoint.host, NORVALE_EXPECTED_HOST);
    EXPECT_FALSE(endpoint.host.empty());
    EXPECT_EQ(endpoint.publicKeyPem, text(NORVALE_EXPECTED_PUBKEY_FILE));
    EXPECT_EQ(endpoint.trustAnchorPem, text(NORVALE_EXPECTED_CA_FILE));
    ossl::Bio bio(BIO_new_mem_buf(endpoint.publicKeyPem.data(),
                                  static_cast<int>(endpoint.publicKeyPem.size())));
    ossl::Pkey key(PEM_read_bio_PUBKEY(bio.get(), nullptr, nullptr, nullptr));
    ASSERT_TRUE(key) << "not a PUBLIC KEY block";
    EXPECT_EQ(EVP_PKEY_get_size(key.get()), 256);
}

}  // namespace
