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
    // A 1 MiB write in a child that may write no file longer than `limit` bytes: a real write
    // failure, or (with SIGXFSZ left fatal) a writer killed half-way. Returns the wait status.
    int writeBeyondLimit(const std::string& path, rlim_t limit, bool killed) {
        pid_t child = fork();
        if (child == 0) {
            signal(SIGXFSZ, killed ? SIG_DFL : SIG_IGN);
            rlimit bound{limit, limit};
            setrlimit(RLIMIT_FSIZE, &bound);
            _exit(util.saveFile(path, Bytes(1 << 20, 'B')) ? 1 : 0);
        }
        int status = -1;
        waitpid(child, &status, 0);
        lastChild = child;
        return status;
    }

    FakeDesktop desktop;
    CommonUtility util{desktop};
    std::string home = desktop.homePath();
    pid_t lastChild = 0;
};

TEST_F(Files, WritesAreOwnerOnlyOnNormalisedPathsAndLeaveNoTemporaryFile) {
    ASSERT_TRUE(util.saveFile(home + "/.voxa/deep\\key.p8", Bytes{'k'}));
    EXPECT_EQ(util.getFile(home + "/.voxa/deep/key.p8"), Bytes{'k'});
    EXPECT_EQ(modeOf(home + "/.voxa/deep/key.p8"), 0600);
    EXPECT_EQ(modeOf(home + "/.voxa"), 0700);
    EXPECT_EQ(modeOf(home + "/.voxa/deep"), 0700);
    OpensslTool::writeFile(home + "/user.pfx", std::string("old"));
    chmod((home + "/user.pfx").c_str(), 0644);
    ASSERT_TRUE(util.saveFile(" " + home + "/user.pfx\t", Bytes{'n', 'e', 'w'}));
    EXPECT_EQ(util.getFileAsStr(home + "/user.pfx"), "new");
    EXPECT_EQ(modeOf(home + "/user.pfx"), 0600);
    EXPECT_EQ(entriesOf(home), (std::vector<std::string>{".voxa", "user.pfx"}));
    // Empty data or a blank path writes nothing and makes no folder.
    EXPECT_FALSE(util.saveFile(home + "/new/x.bin", Bytes{}));
    EXPECT_FALSE(util.saveFile("  \t", Bytes{1}));
    EXPECT_FALSE(fs::exists(home + "/new"));
}

TEST_F(Files, TextIsWrittenAsBig5AndNothingWhenBig5CannotCarryIt) {
    const std::string path = home + "/page.html";
    ASSERT_TRUE(util.saveFile(path, std::string("憑證")));
    EXPECT_EQ(util.getFile(path), (Bytes{0xbe, 0xcc, 0xc3, 0xd2}));
    EXPECT_FALSE(util.getFileAsStr(path).has_value());  // Big5 bytes are not UTF-8
    EXPECT_FALSE(util.saveFile(home + "/emoji.html", std::string("😀")));
    EXPECT_FALSE(fs::exists(home + "/emoji.html"));
}

TEST_F(Files, AFailedWriteIsReportedAndLeavesThePreviousFileWhole) {
    const std::string path = home + "/customer.pfx";
    ASSERT_TRUE(util.saveFile(path, Bytes(100, 'A')));
    const int status = writeBeyondLimit(path, 1024, false);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the oversized write must report failure";
    EXPECT_EQ(util.getFile(path), Bytes(100, 'A'));
    EXPECT_EQ(entriesOf(home), std::vector<std::string>{"customer.pfx"});
}

// What a write killed half-way left behind goes with the next write to that folder; the
// temporary file of a writer still at work, and the user's own files, stay.
TEST_F(Files, ANextWriteRemovesTheTemporaryFileOfAKilledOne) {
    ASSERT_TRUE(WIFSIGNALED(writeBeyondLimit(home + "/customer.pfx", 4096, true)));
    auto names = entriesOf(home);
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].rfind(".norvale-" + std::to_string(lastChild) + "-customer.pfx.", 0), 0u)
        << names[0];
    std::vector<std::string> kept{".bash_history.backup", ".norvale-notes", ".norvale-12x-a.AbC123",
                                  ".norvale-" + std::to_string(getpid()) + "-other.pfx.AbC123"};
    for (const auto& own : kept) OpensslTool::writeFile(home + "/" + own, std::string("mine"));
    ASSERT_TRUE(util.saveFile(home + "/properties", Bytes{'x'}));
    kept.push_back("properties");
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(entriesOf(home), kept);
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

TEST_F(Files, ReadersGiveNothingForMissingFilesFoldersOrNonUtf8Text) {
    fs::create_directory(home + "/folder");  // a stream would throw here
    OpensslTool::writeFile(home + "/bad.txt", Bytes{0xc3, 0x28});
    for (const char* name : {"/missing", "/folder"}) {
        EXPECT_FALSE(util.getFile(home + name).has_value()) << name;
        EXPECT_FALSE(util.getFileAsStr(home + name).has_value()) << name;
    }
    EXPECT_FALSE(util.getFileAsStr(home + "/bad.txt").has_value());
    OpensslTool::writeFile(home + "/empty", std::string());
    EXPECT_EQ(util.getFile(home + "/empty"), Bytes{});
}

}  // namespace
