#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <filesystem>

#include "GuiTestSupport.h"
#include "gui/SingleInstance.h"
#include "support/TempDir.h"

namespace {

// Every control of the window, by outlet: none may act before the version check passed.
const char* const kControls[] = {
    outlet::kTxtUserIdNo,         outlet::kTxtLoginPwd,  outlet::kTxtSecureLoginPwd,
    outlet::kChkShowPwdPlainText, outlet::kBtnLogin,     outlet::kBtnCrtIdno,
    outlet::kBtnApplyCert,        outlet::kBtnRenewCert, outlet::kBtnQrySvrCertInfo,
    outlet::kBtnQryClntCertInfo,  outlet::kBtnChgPfxPwd, outlet::kBtnDepCert,
    outlet::kBtnPwdHint,          outlet::kBtnUsageLink, outlet::kBtnDownloadLink,
    outlet::kBtnBrowsePfxFile,
};

// The controller of a window started as the program starts it: shown first, checked after.
struct Started : GuiHarness {
    explicit Started(int port, const RegsvcProcess& keys)
        : controller(ports.appPorts(), {"127.0.0.1:" + std::to_string(port),
                                        keys.servicePublicKeyPem(), keys.trustAnchorPem()}) {
        ports.window.bind(controller);
        controller.viewWillAppear();
        ports.window.show();
    }
    QStringList enabledControls() const {
        QStringList enabled;
        for (const char* name : kControls) {
            if (child(name)->isEnabled()) enabled << name;
        }
        return enabled;
    }
    ViewController controller;
};

std::vector<std::filesystem::path> downloads(const FakeDesktop& desktop) {
    std::vector<std::filesystem::path> files;
    std::error_code none;
    for (const auto& entry : std::filesystem::directory_iterator(desktop.downloadPath(), none)) {
        files.push_back(entry.path());
    }
    return files;
}

}  // namespace

class StartupTest : public QObject {
    Q_OBJECT

  private slots:
    void waitingCheckLeavesNothingUsableAndNoAnswerIsNoUpdate();
    void outdatedAnswerTakesTheUpdatePathOverTheWindow();
    void secondStartRaisesTheFirstAndEnds();
    void lockOfACrashedClientDoesNotBlock();

  private:
    RegsvcProcess service_;
};

// The service takes the connection and says nothing: the window is up with every control
// off and the step named; then the service goes away, which is not an outdated client.
void StartupTest::waitingCheckLeavesNothingUsableAndNoAnswerIsNoUpdate() {
    DeadService dead;
    Started gui(dead.port, service_);
    QStringList enabledMeanwhile{"not looked at"};
    QString label;
    QTimer::singleShot(0, [&] {
        enabledMeanwhile = gui.enabledControls();
        label = gui.ports.window.statusBar()->currentMessage();
        dead.close();
    });
    gui.answer = [](const Alert& alert) { return static_cast<int>(alert.buttons.size()) - 1; };
    gui.controller.viewDidLoad();

    QCOMPARE(enabledMeanwhile, QStringList{});
    QCOMPARE(label, QString(app_text::kStepVersion));
    QCOMPARE(gui.alerts.size(), std::size_t{1});
    QCOMPARE(gui.alerts[0].text, std::string(app_text::kServiceUnreachable));
    QCOMPARE(gui.alerts[0].buttons, (std::vector<std::string>{app_text::kRetry, app_text::kQuit}));
    QVERIFY(gui.controller.isQuitting());
    QVERIFY(downloads(gui.desktop).empty());
    QVERIFY(gui.desktop.openedFiles.empty());
}

void StartupTest::outdatedAnswerTakesTheUpdatePathOverTheWindow() {
    service_.setRule("checkVersion", R"({"rtnCode": "3001", "rtnMsg": "版本過舊"})");
    Started gui(service_.port(), service_);
    bool windowShown = true;
    gui.answer = [&](const Alert&) {
        windowShown = windowShown && gui.ports.window.isVisible();
        return 0;
    };
    gui.controller.viewDidLoad();
    service_.reset();

    QVERIFY(gui.said(app_text::kOutdated));
    QVERIFY(gui.said(app_text::kDownloaded));
    QVERIFY(windowShown);
    QCOMPARE(gui.desktop.openedFiles.size(), std::size_t{1});
    QCOMPARE(downloads(gui.desktop).size(), std::size_t{1});
    QVERIFY(gui.controller.isQuitting());
    QCOMPARE(gui.enabledControls(), QStringList{});
}

// The program itself as the second start, against this process as the first.
void StartupTest::secondStartRaisesTheFirstAndEnds() {
    TempDir runtime;
    SingleInstance first(QString::fromStdString(runtime.file("norvale-cert-client")));
    QVERIFY(first.claim());
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);

    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.path()));
    env.insert("HOME", QString::fromStdString(runtime.path()));
    second.setProcessEnvironment(env);
    second.start(NORVALE_CLIENT, {});
    QVERIFY(second.waitForFinished(60000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QTRY_COMPARE(raised.count(), 1);
}

// A client killed while it ran leaves its lock file and its socket behind.
void StartupTest::lockOfACrashedClientDoesNotBlock() {
    TempDir runtime;
    const QString base = QString::fromStdString(runtime.file("norvale-cert-client"));
    QProcess crashed;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.path()));
    env.insert("HOME", QString::fromStdString(runtime.path()));
    crashed.setProcessEnvironment(env);
    crashed.start(NORVALE_CLIENT, {});
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(base + ".socket"), 60000);
    crashed.kill();
    QVERIFY(crashed.waitForFinished(60000));
    QVERIFY(QFile::exists(base + ".lock"));

    SingleInstance next(base);
    QVERIFY(next.claim());
    QSignalSpy raised(&next, &SingleInstance::raiseRequested);
    SingleInstance third(base);
    QVERIFY(!third.claim());
    QTRY_COMPARE(raised.count(), 1);
}

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
