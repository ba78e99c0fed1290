#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "GuiTestSupport.h"
#include "RegsvcProcess.h"
#include "app/AppTexts.h"
#include "app/Outlets.h"
#include "gui/UserAgreementWindow.h"

namespace {

QString cell(const GuiHarness& gui, const char* table, int row, int column) {
    return gui.child<QTableView>(table)->model()->index(row, column).data().toString();
}

// A service that takes connections and never answers, until it is closed.
class DeadService {
  public:
    DeadService() : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        ::bind(fd_, reinterpret_cast<sockaddr*>(&address), size);
        ::listen(fd_, 4);
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
    }
    ~DeadService() { close(); }
    // Connections waiting in the queue are reset with it.
    void close() {
        if (fd_ >= 0) ::close(std::exchange(fd_, -1));
    }
    int port() const { return port_; }

  private:
    int fd_;
    int port_ = 0;
};

}  // namespace

class JourneyTest : public QObject {
    Q_OBJECT

  private slots:
    void customerLogsInAppliesAndSeesBothTables();
    void deadServiceShowsItsMessageWhileTheWindowKeepsTurning();
};

// Through the real widgets: log in, accept the proposed application and the agreement, and
// find the certificate written and shown on both sides.
void JourneyTest::customerLogsInAppliesAndSeesBothTables() {
    RegsvcProcess service(std::map<std::string, std::string>{{"sessionIdleSeconds", "100000000"}});
    GuiHarness gui;
    gui.desktop.apps["com.google.Chrome"] = {"/apps/chrome.desktop", "Chrome", "120", ""};
    gui.answer = [](const Alert& alert) { return alert.text == app_text::kBackupOffer ? 1 : 0; };
    ViewController controller(gui.ports.appPorts(),
                              {"127.0.0.1:" + std::to_string(service.port()),
                               service.servicePublicKeyPem(), service.trustAnchorPem()});
    gui.ports.window.bind(controller);
    controller.viewDidLoad();
    QVERIFY(!controller.isQuitting());
    gui.ports.window.show();
    controller.viewDidAppear();
    QCOMPARE(gui.ports.window.QMainWindow::windowTitle(), QString("Norvale證券憑證管理 V1.0"));

    QTest::keyClicks(gui.child(outlet::kTxtUserIdNo), " a123456789");
    QTest::keyClicks(gui.child(outlet::kTxtSecureLoginPwd), "demo1234");
    QTest::mouseClick(gui.child(outlet::kBtnLogin), Qt::LeftButton);
    QVERIFY(gui.said(app_text::kLoginDone));
    QVERIFY(gui.said(app_text::kProposeApply));
    QCOMPARE(gui.child<QLineEdit>(outlet::kTxtUserIdNo)->text(), QString("A123456789"));
    QVERIFY(!gui.child(outlet::kTxtUserIdNo)->isEnabled());
    QCOMPARE(gui.child<QPushButton>(outlet::kBtnLogin)->text(), QString("登出"));
    QVERIFY(gui.child(outlet::kBtnApplyCert)->isEnabled());
    QVERIFY(!gui.child(outlet::kBtnRenewCert)->isEnabled());
    QVERIFY(!gui.child(outlet::kBtnQrySvrCertInfo)->isEnabled());

    auto* agreement = gui.openDialog<UserAgreementWindow>();
    QVERIFY(agreement);
    tick(agreement->findChild<QCheckBox*>("chkAgree"));
    QTest::mouseClick(agreement->findChild<QPushButton*>("btnNextStep"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(gui.said(app_text::kDeployExplain), 120000);

    const std::string pfx = gui.desktop.homePath() + "/A123456789_S.pfx";
    QVERIFY(gui.said(app_text::fill(app_text::kApplyDone, pfx)));
    struct stat written {};
    QCOMPARE(::stat(pfx.c_str(), &written), 0);
    QCOMPARE(written.st_mode & 0777, 0600u);
    QCOMPARE(gui.child<QLineEdit>(outlet::kLblPfxFilePath)->text(), QString::fromStdString(pfx));
    QCOMPARE(gui.child<QTableView>(outlet::kTvSvrCertInfo)->model()->rowCount(), 7);
    QCOMPARE(gui.child<QTableView>(outlet::kTvClntCertInfo)->model()->rowCount(), 5);
    QCOMPARE(cell(gui, outlet::kTvSvrCertInfo, 1, 1), QString("A123456789-00"));
    QCOMPARE(cell(gui, outlet::kTvClntCertInfo, 2, 0), QString("憑證序號"));
    QCOMPARE(cell(gui, outlet::kTvClntCertInfo, 2, 1), cell(gui, outlet::kTvSvrCertInfo, 2, 1));
    QVERIFY(!gui.child(outlet::kBtnApplyCert)->isEnabled());
    for (const char* name : {outlet::kBtnQryClntCertInfo, outlet::kBtnChgPfxPwd,
                             outlet::kBtnDepCert, outlet::kBtnBrowsePfxFile}) {
        QVERIFY2(gui.child(name)->isEnabled(), name);
    }
    QCOMPARE(gui.desktop.opened.size(), std::size_t{1});
    QCOMPARE(gui.ports.window.QMainWindow::windowTitle(), QString("Norvale證券憑證管理 V1.0"));
}

// The login waits on a service that does not answer; meanwhile the loop runs (a timer
// fires, the step is named, a click is dropped) and then the service goes away.
void JourneyTest::deadServiceShowsItsMessageWhileTheWindowKeepsTurning() {
    DeadService dead;
    GuiHarness gui;
    ServiceEndpoint endpoint = ServiceEndpoint::compiledIn();
    endpoint.host = "127.0.0.1:" + std::to_string(dead.port());
    ViewController controller(gui.ports.appPorts(), endpoint);
    gui.ports.window.bind(controller);
    gui.ports.window.show();
    QTest::keyClicks(gui.child(outlet::kTxtUserIdNo), "A123456789");
    QTest::keyClicks(gui.child(outlet::kTxtSecureLoginPwd), "demo1234");

    QString shownLabel;
    bool wasBusy = false;
    QTimer::singleShot(0, [&] {
        wasBusy = gui.ports.runtime.isBusy();
        shownLabel = gui.ports.window.statusBar()->currentMessage();
        QTest::mouseClick(gui.child(outlet::kBtnCrtIdno), Qt::LeftButton);
        dead.close();
    });
    QTest::mouseClick(gui.child(outlet::kBtnLogin), Qt::LeftButton);

    QVERIFY(wasBusy);
    QCOMPARE(shownLabel, QString(app_text::kStepLogin));
    QCOMPARE(gui.child<QLineEdit>(outlet::kTxtUserIdNo)->text(), QString("A123456789"));
    QCOMPARE(gui.alerts.size(), std::size_t{1});
    QCOMPARE(gui.alerts[0].text, std::string(app_text::kLoginFailed));
    QVERIFY(!controller.isUserLogin());
    QVERIFY(gui.child(outlet::kTxtUserIdNo)->isEnabled());
    QVERIFY(gui.ports.window.statusBar()->currentMessage().isEmpty());
}

QTEST_MAIN(JourneyTest)
#include "JourneyTest.moc"
