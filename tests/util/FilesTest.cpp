#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "support/FakeDesktop.h"
#include "support/OpensslTool.h"
#include "util/CommonUtility.h"

namespace {

namespace fs = std::filesystem;

mode_t modeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 0777;
}

std::vector<std::string> entriesOf(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class Files : public testing::Test {
  protected:
    FakeDesktop desktop;
    CommonUtility util{desktop};
    std::string home = desktop.homePath();
};

TEST_F(Files, SavedFilesAndMadeFoldersAreOwnerOnly) {
    const std::string path = home + "/.voxa/deep/key.p8";
    ASSERT_TRUE(util.saveFile(path, Bytes{'k', 'e', 'y'}));
    EXPECT_EQ(modeOf(path), 0600);
    EXPECT_EQ(modeOf(home + "/.voxa"), 0700);
    EXPECT_EQ(modeOf(home + "/.voxa/deep"), 0700);
    EXPECT_EQ(util.getFile(path), (Bytes{'k', 'e', 'y'}));
}

TEST_F(Files, ReplacingAFileKeepsItOwnerOnlyAndLeavesNoTemporaryFile) {
    const std::string path = home + "/user.pfx";
    OpensslTool::writeFile(path, std::string("old"));
    chmod(path.c_str(), 0644);
    ASSERT_TRUE(util.saveFile(path, Bytes{'n', 'e', 'w'}));
    EXPECT_EQ(util.getFileAsStr(path), "new");
    EXPECT_EQ(modeOf(path), 0600);
    EXPECT_EQ(entriesOf(home), std::vector<std::string>{"user.pfx"});
}

TEST_F(Files, EmptyDataWritesNothingAndMakesNoFolder) {
    EXPECT_FALSE(util.saveFile(home + "/new/x.bin", Bytes{}));
    EXPECT_FALSE(fs::exists(home + "/new"));
    EXPECT_FALSE(util.saveFile("  \t", Bytes{1}));
}

TEST_F(Files, BackslashesAndBlanksAreNormalisedBeforeWriting) {
    ASSERT_TRUE(util.saveFile(home + "/a\\b/c.txt", Bytes{'x'}));
    EXPECT_EQ(util.getFile(home + "/a/b/c.txt"), Bytes{'x'});
    ASSERT_TRUE(util.saveFile(" " + home + "/d/e.txt\t", Bytes{'y'}));
    EXPECT_EQ(util.getFile(home + "/d/e.txt"), Bytes{'y'});
}

TEST_F(Files, TextIsWrittenAsBig5AndNothingWhenBig5CannotCarryIt) {
    const std::string path = home + "/page.html";
    ASSERT_TRUE(util.saveFile(path, std::string("憑證")));
    EXPECT_EQ(util.getFile(path), (Bytes{0xbe, 0xcc, 0xc3, 0xd2}));
    EXPECT_FALSE(util.getFileAsStr(path).has_value());  // Big5 bytes are not UTF-8
    EXPECT_FALSE(util.saveFile(home + "/emoji.html", std::string("😀")));
    EXPECT_FALSE(fs::exists(home + "/emoji.html"));
}

TEST_F(Files, AFailedWriteLeavesThePreviousFileWhole) {
    const std::string path = home + "/customer.pfx";
    ASSERT_TRUE(util.saveFile(path, Bytes(100, 'A')));
    // A real write failure: the child may not write more than 1 KiB per file.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{1024, 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(util.saveFile(path, Bytes(1 << 20, 'B')) ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the oversized write must report failure";
    EXPECT_EQ(util.getFile(path), Bytes(100, 'A'));
    EXPECT_EQ(entriesOf(home), std::vector<std::string>{"customer.pfx"});
}

// What a write killed half-way left behind goes with the next write to that folder; the
// temporary file of a writer still at work, and the user's own files, stay.
TEST_F(Files, ANextWriteRemovesTheTemporaryFileOfAKilledOne) {
    const std::string path = home + "/customer.pfx";
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Stopped for good between writing its temporary file and renaming it.
        signal(SIGXFSZ, SIG_DFL);
        rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        util.saveFile(path, Bytes(1 << 20, 'B'));
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));  // killed by SIGXFSZ in the middle of the write
    auto names = entriesOf(home);
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].rfind(".norvale-" + std::to_string(child) + "-customer.pfx.", 0), 0u)
        << names[0];
    const std::string live = ".norvale-" + std::to_string(getpid()) + "-other.pfx.AbC123";
    for (const std::string& kept :
         {live, std::string(".bash_history.backup"), std::string(".norvale-12x-a.AbC123")}) {
        OpensslTool::writeFile(home + "/" + kept, std::string("kept"));
    }
    ASSERT_TRUE(util.saveFile(home + "/properties", Bytes{'x'}));
    std::vector<std::string> expected{".bash_history.backup", live, ".norvale-12x-a.AbC123",
                                      "properties"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(entriesOf(home), expected);
}

TEST_F(Files, RemovingByPatternSparesFoldersAndOtherNames) {
    const std::string folder = home + "/.voxa";
    for (const char* name :
         {"VOXADepCert.20240101120000123.html", "20240101120000123.p8", "notes.txt"}) {
        ASSERT_TRUE(util.saveFile(folder + "/" + name, Bytes{'x'}));
    }
    fs::create_directory(folder + "/VOXADepCert.20240101120000999.html");
    util.removeFile(folder, "^VOXADepCert\\.[0-9]{17}\\.html$");
    EXPECT_EQ(entriesOf(folder),
              (std::vector<std::string>{"20240101120000123.p8",
                                        "VOXADepCert.20240101120000999.html", "notes.txt"}));
    util.removeFile(home + "/missing", ".*");  // nothing to list, nothing happens
}

TEST_F(Files, ReadersGiveNothingForMissingFoldersOrNonUtf8Files) {
    EXPECT_FALSE(util.getFile(home + "/missing").has_value());
    EXPECT_FALSE(util.getFile(home).has_value());
    EXPECT_FALSE(util.getFileAsStr(home + "/missing").has_value());
    fs::create_directory(home + "/folder");
    EXPECT_FALSE(util.getFileAsStr(home + "/folder").has_value());  // a stream would throw
    OpensslTool::writeFile(home + "/bad.txt", Bytes{0xc3, 0x28});
    EXPECT_FALSE(util.getFileAsStr(home + "/bad.txt").has_value());
}

TEST_F(Files, BrowserListFollowsTheFixedOrderAndMarksTheDefault) {
    EXPECT_TRUE(util.getBrowserInfo().empty());
    desktop.apps["org.mozilla.Firefox"] = {"/usr/share/applications/firefox-esr.desktop",
                                           "Firefox ESR", "115.9.1", "firefox-esr"};
    desktop.apps["com.google.Chrome"] = {"/usr/share/applications/chromium.desktop", "Chromium", "",
                                         "chromium"};
    desktop.defaultHandler = "org.mozilla.Firefox";
    auto browsers = util.getBrowserInfo();
    ASSERT_EQ(browsers.size(), 2u);
    EXPECT_EQ(browsers[0].at("bundleId"), "com.google.Chrome");
    EXPECT_EQ(browsers[0].at("defaultBrowser"), "N");
    EXPECT_EQ(browsers[1], (StringMap{{"bundleId", "org.mozilla.Firefox"},
                                      {"name", "Firefox ESR"},
                                      {"path", "/usr/share/applications/firefox-esr.desktop"},
                                      {"version", "115.9.1"},
                                      {"defaultBrowser", "Y"}}));
    desktop.defaultHandler = "org.mozilla.firefox";  // equality is case-sensitive
    EXPECT_EQ(util.getBrowserInfo()[1].at("defaultBrowser"), "N");
}

}  // namespace
