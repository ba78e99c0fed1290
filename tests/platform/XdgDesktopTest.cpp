#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>

#include "platform/BundleIds.h"
#include "platform/XdgDesktop.h"
#include "support/Child.h"
#include "support/OpensslTool.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

// A session whose XDG folders all live in a temporary folder. GLib reads the environment,
// user-dirs.dirs and the application folders once per process, so every look runs in a child
// process of its own; this test process never asks GLib anything.
class XdgSession {
  public:
    // What `probe` answers in a fresh child whose HOME, XDG folders and PATH point here.
    std::string ask(const std::function<std::string(XdgDesktop&)>& probe) const {
        const ChildRun run = inChild([&] {
            setenv("HOME", home.c_str(), 1);
            setenv("XDG_CONFIG_DIRS", root.file("etc/xdg").c_str(), 1);
            setenv("XDG_DATA_DIRS", root.file("usr/share").c_str(), 1);
            setenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME", 1);
            unsetenv("XDG_CONFIG_HOME");
            unsetenv("XDG_DATA_HOME");
            // No session bus: GIO's launch notice goes nowhere instead of to the real desktop.
            setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + root.file("no-bus")).c_str(), 1);
            unsetenv("DISPLAY");
            setenv("PATH", (root.file("bin") + ":" + std::getenv("PATH")).c_str(), 1);
            XdgDesktop desktop;
            return probe(desktop);
        });
        EXPECT_TRUE(run.ended()) << run.status;
        return run.answer;
    }

    void write(const std::string& relative, const std::string& text) const {
        fs::create_directories(fs::path(root.file(relative)).parent_path());
        OpensslTool::writeFile(root.file(relative), text);
    }
    // A program in the session's PATH; GIO takes no entry whose program it cannot find.
    std::string script(const std::string& name, const std::string& body) const {
        write("bin/" + name, "#!/bin/sh\n" + body + "\n");
        chmod(root.file("bin/" + name).c_str(), 0755);
        return root.file("bin/" + name);
    }
    // An entry under usr/share unless `folder` names another; its icon is its name.
    void installEntry(const std::string& id, const std::string& name, const std::string& exec,
                      const std::string& extra = "",
                      const std::string& folder = "usr/share") const {
        write(folder + "/applications/" + id, "[Desktop Entry]\nType=Application\nName=" + name +
                                                  "\nIcon=" + name + "\nExec=" + exec + "\n" +
                                                  extra);
    }

    TempDir root;
    std::string home = root.file("home");
};

// The home folder itself is no download folder.
TEST(XdgDesktop, FoldersComeFromUserDirsAndTheDefaultHttpsHandlerNamesItsBrowser) {
    const XdgSession session;
    auto look = [&] {
        return session.ask([](XdgDesktop& d) {
            return d.homePath() + "|" + d.desktopPath() + "|" + d.downloadPath() + "|" +
                   d.defaultHttpsHandler().value_or("-");
        });
    };
    const std::string home = session.home;
    EXPECT_EQ(look(), home + "|" + home + "/Desktop|" + home + "/Downloads|-");
    session.write("home/.config/user-dirs.dirs",
                  "XDG_DESKTOP_DIR=\"/srv/desk/\"\nXDG_DOWNLOAD_DIR=\"$HOME/\"\n");
    const std::string browser = session.script("browser", "exit 0") + " %u";
    for (const char* id : {"chromium.desktop", "org.gnome.Epiphany.desktop"})
        session.installEntry(id, id, browser);
    // Which entry is the default is GIO's to find; the browser it stands for is ours to know.
    session.write("etc/xdg/mimeapps.list",
                  "[Default Applications]\nx-scheme-handler/https=chromium.desktop\n");
    EXPECT_EQ(look(), home + "|/srv/desk|" + home + "/Downloads|" + bundle_id::kChrome);
    session.write("etc/xdg/mimeapps.list",
                  "[Default Applications]\nx-scheme-handler/https=org.gnome.Epiphany.desktop\n");
    EXPECT_EQ(look(), home + "|/srv/desk|" + home + "/Downloads|org.gnome.Epiphany.desktop");
}

// Snap and Flatpak browsers may not read ~/.voxa; their entries say what they are.
TEST(XdgDesktop, FindsBrowsersAndKnowsSnapAndFlatpakPackages) {
    const struct {
        std::string id, exec, extra, bundleId;
        std::string expected;  // version|sandboxed, or "-" when none is found
    } cases[] = {
        {"firefox_firefox.desktop", "<bin>/firefox %u", "", bundle_id::kFirefox, "128.5.1|-"},
        // --version failed: the version is unknown, which is no error.
        {"chromium.desktop", "<bin>/chromium %U", "X-Flatpak=org.chromium.Chromium\n",
         bundle_id::kChrome, "|sandboxed"},
        {"chromium_chromium.desktop", "env A=1 B=2 /snap/bin/chromium %U", "", bundle_id::kChrome,
         "|sandboxed"},
        {"org.mozilla.firefox.desktop",
         "flatpak run --branch=stable --arch=x86_64 --command=firefox --file-forwarding "
         "org.mozilla.firefox @@u %u @@",
         "", bundle_id::kFirefox, "|sandboxed"},
        {"firefox.desktop", "env A=1 /opt/snap/bin/firefox %u", "", bundle_id::kFirefox, "|-"},
        {"firefox.desktop", "<bin>/firefox %u", "", bundle_id::kSafari, "-"},
    };
    for (const auto& c : cases) {
        const XdgSession session;
        session.script("firefox", "echo 'Mozilla Firefox 128.5.1esr'");
        session.script("chromium", "exit 3");
        session.script("flatpak", "exit 0");
        std::string exec = c.exec;
        if (exec.rfind("<bin>", 0) == 0) exec.replace(0, 5, session.root.file("bin"));
        const std::string name = c.bundleId == bundle_id::kChrome ? "Chromium" : "Firefox";
        // The first case's entry is the user's own.
        const bool own = &c == &cases[0];
        session.installEntry(c.id, name, exec, c.extra, own ? "home/.local/share" : "usr/share");
        const std::string entry = session.root.file((own ? "home/.local/share" : "usr/share") +
                                                    std::string("/applications/") + c.id);
        const std::string found =
            c.expected == "-" ? "-" : entry + "|" + name + "|" + name + "|" + c.expected;
        EXPECT_EQ(session.ask([&](XdgDesktop& d) -> std::string {
            const auto app = d.findApplication(c.bundleId);
            if (!app) return "-";
            return app->path + "|" + app->name + "|" + app->icon + "|" + app->version + "|" +
                   (app->sandboxed ? "sandboxed" : "-");
        }),
                  found)
            << c.exec;
    }
}

TEST(XdgDesktop, OpensAddressesWithoutAShell) {
    const XdgSession session;
    const std::string out = session.root.file("args.txt");
    const std::string browser =
        session.script("browser", "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + out +
                                      ".tmp'\nmv '" + out + ".tmp' '" + out + "'");
    session.installEntry("firefox.desktop", "Firefox", browser + " --new %U");
    const std::string hostile = "/tmp/a;$(touch " + session.root.file("pwned") + ")";
    EXPECT_EQ(session.ask([&](XdgDesktop& d) {
        const auto app = d.findApplication(bundle_id::kFirefox);
        const bool opened =
            app && d.openUrls({"https://127.0.0.1/x?a=1&b=2", "file://" + hostile}, app->path);
        return std::string(opened ? "opened" : "-") +
               (d.openUrls({"https://x"}, session.root.file("no-such.desktop")) ? "opened" : "-");
    }),
              "opened-");
    // The browser runs on its own; its answer is waited for, not timed.
    for (int i = 0; i < 100 && !fs::exists(out); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // A local file reaches the browser as its path.
    EXPECT_EQ(OpensslTool::readText(out), "--new\nhttps://127.0.0.1/x?a=1&b=2\n" + hostile + "\n");
    EXPECT_FALSE(fs::exists(session.root.file("pwned")));
}

}  // namespace
