#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <thread>

#include "platform/BundleIds.h"
#include "platform/XdgDesktop.h"
#include "support/OpensslTool.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

// A session whose XDG folders all live in a temporary folder.
class XdgSession : public testing::Test {
  protected:
    XdgDesktop desktop() {
        std::map<std::string, std::string> env{{"HOME", home},
                                               {"XDG_CONFIG_DIRS", root.file("etc/xdg")},
                                               {"XDG_DATA_DIRS", root.file("usr/share")},
                                               {"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"}};
        return XdgDesktop(XdgPaths([env](const std::string& name) -> std::optional<std::string> {
            auto it = env.find(name);
            return it == env.end() ? std::nullopt : std::optional(it->second);
        }));
    }
    void write(const std::string& relative, const std::string& text) {
        fs::create_directories(fs::path(root.file(relative)).parent_path());
        OpensslTool::writeFile(root.file(relative), text);
    }
    std::string script(const std::string& name, const std::string& body) {
        write("bin/" + name, "#!/bin/sh\n" + body + "\n");
        chmod(root.file("bin/" + name).c_str(), 0755);
        return root.file("bin/" + name);
    }
    void installEntry(const std::string& folder, const std::string& id, const std::string& name,
                      const std::string& exec, const std::string& extra = "") {
        write(folder + "/applications/" + id, "[Desktop Entry]\nType=Application\nName=" + name +
                                                  "\nIcon=" + name + "\nExec=" + exec + "\n" +
                                                  extra);
    }

    TempDir root;
    std::string home = root.file("home");
};

TEST_F(XdgSession, DesktopAndDownloadFoldersComeFromUserDirs) {
    const struct {
        std::string userDirs, desktop, download;
    } cases[] = {
        {"", home + "/Desktop", home + "/Downloads"},
        {"# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/桌面\"\n"
         "XDG_DOWNLOAD_DIR=\"$HOME/下載\"\n",
         home + "/桌面", home + "/下載"},
        // The home folder itself is no download folder.
        {"XDG_DESKTOP_DIR=\"/srv/desk/\"\nXDG_DOWNLOAD_DIR=\"$HOME/\"\n", "/srv/desk",
         home + "/Downloads"},
    };
    for (const auto& c : cases) {
        write("home/.config/user-dirs.dirs", c.userDirs);
        EXPECT_EQ(desktop().desktopPath(), c.desktop) << c.userDirs;
        EXPECT_EQ(desktop().downloadPath(), c.download) << c.userDirs;
    }
    EXPECT_EQ(desktop().homePath(), home);
}

TEST_F(XdgSession, DefaultHttpsHandlerFollowsTheLookupOrder) {
    EXPECT_FALSE(desktop().defaultHttpsHandler().has_value());
    installEntry("usr/share", "firefox-esr.desktop", "Firefox", "firefox-esr %u");
    installEntry("usr/share", "chromium.desktop", "Chromium", "chromium %U");
    installEntry("usr/share", "org.gnome.Epiphany.desktop", "Web", "epiphany %U");
    write("etc/xdg/mimeapps.list",
          "[Default Applications]\nx-scheme-handler/https=chromium.desktop\n");
    EXPECT_EQ(desktop().defaultHttpsHandler(), bundle_id::kChrome);
    // A desktop-specific list in the user's folder comes first; entries not installed are passed.
    write("home/.config/gnome-mimeapps.list",
          "[Default Applications]\nx-scheme-handler/https=missing.desktop;firefox-esr.desktop;\n");
    EXPECT_EQ(desktop().defaultHttpsHandler(), bundle_id::kFirefox);
    write("home/.config/gnome-mimeapps.list",
          "[Default Applications]\nx-scheme-handler/https=org.gnome.Epiphany.desktop\n");
    EXPECT_EQ(desktop().defaultHttpsHandler(), "org.gnome.Epiphany.desktop");
}

TEST_F(XdgSession, FindsBrowsersUnderTheirInstalledNames) {
    const std::string firefox = script("firefox", "echo 'Mozilla Firefox 128.5.1esr'");
    installEntry("home/.local/share", "firefox_firefox.desktop", "Firefox", firefox + " %u");
    installEntry("usr/share", "chromium.desktop", "Chromium", script("chromium", "exit 3") + " %U",
                 "X-Flatpak=org.chromium.Chromium\n");
    auto d = desktop();
    auto ff = d.findApplication(bundle_id::kFirefox);
    ASSERT_TRUE(ff.has_value());
    EXPECT_EQ(ff->path, root.file("home/.local/share/applications/firefox_firefox.desktop"));
    EXPECT_EQ(ff->name, "Firefox");
    EXPECT_EQ(ff->version, "128.5.1");
    EXPECT_EQ(ff->icon, "Firefox");
    EXPECT_FALSE(ff->sandboxed);
    auto chrome = d.findApplication(bundle_id::kChrome);
    ASSERT_TRUE(chrome.has_value());
    EXPECT_EQ(chrome->version, "");  // --version failed: unknown, not an error
    EXPECT_TRUE(chrome->sandboxed);
    EXPECT_FALSE(d.findApplication(bundle_id::kSafari).has_value());
    EXPECT_FALSE(d.findApplication("org.example.Other").has_value());
}

TEST_F(XdgSession, OpensAddressesWithoutAShell) {
    const std::string out = root.file("args.txt");
    const std::string browser = script("browser",
                                       "[ \"$1\" = --version ] && { echo 'Browser 1.2'; exit 0; }\n"
                                       "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" +
                                           out +
                                           ".tmp'\n"
                                           "mv '" +
                                           out + ".tmp' '" + out + "'");
    installEntry("usr/share", "firefox.desktop", "Firefox", browser + " %U");
    const std::string hostile = "file:///tmp/a;$(touch " + root.file("pwned") + ")";
    auto d = desktop();
    auto app = d.findApplication(bundle_id::kFirefox);
    ASSERT_TRUE(app);
    ASSERT_TRUE(d.openUrls({"https://127.0.0.1/x?a=1&b=2", hostile}, app->path));
    // The browser runs on its own; its answer is waited for, not timed.
    for (int i = 0; i < 100 && !fs::exists(out); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(OpensslTool::readText(out), "https://127.0.0.1/x?a=1&b=2\n" + hostile + "\n");
    EXPECT_FALSE(fs::exists(root.file("pwned")));
    EXPECT_FALSE(d.openUrls({"https://x"}, root.file("no-such.desktop")));
}

}  // namespace
