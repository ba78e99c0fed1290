#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include "GuiTestSupport.h"
#include "app/AppTexts.h"
#include "app/Outlets.h"

namespace {

QString cell(const GuiHarness& gui, const char* table, int row, int column) {
    return gui.child<QTableView>(table)->model()->index(row, column).data().toString();
}

}  // namespace

class JourneyTest : public QObject {
    Q_OBJECT

  private slots:
    void customerLogsInAppliesAndSeesBothTables();
    void deadServiceShowsItsMessageWhileTheWindowKeepsTurning();
};

// Through the real widgets: log in, accept the proposed application and the agreement, and
// find the certificate shown on both sides.
void JourneyTest::customerLogsInAppliesAndSeesBothTables() {
    DemoCustomer gui;
    QVERIFY(!gui.controller.isQuitting());
    QCOMPARE(gui.ports.window.QMainWindow::windowTitle(), QString("Norvale證券憑證管理 V1.0"));
    gui.logIn();
    QVERIFY(!gui.child(outlet::kTxtUserIdNo)->isEnabled());
    QCOMPARE(gui.child<QPushButton>(outlet::kBtnLogin)->text(), QString("登出"));
    QVERIFY(gui.child(outlet::kBtnApplyCert)->isEnabled());

    // The agreement goes on only once ticked, which apply() does.
    auto* agreement = gui.openDialog<UserAgreementWindow>();
    QVERIFY(agreement);
    QVERIFY(agreement->findChild<QTextBrowser*>()->toPlainText().contains("約定條款"));
    QVERIFY(!agreement->findChild<QPushButton*>("btnNextStep")->isEnabled());
    QVERIFY(gui.apply());
    const std::string pfx = gui.desktop.homePath() + "/A123456789_S.pfx";
    QCOMPARE(gui.child<QLineEdit>(outlet::kLblPfxFilePath)->text(), QString::fromStdString(pfx));
    QCOMPARE(gui.child<QTableView>(outlet::kTvSvrCertInfo)->model()->rowCount(), 7);
    QCOMPARE(gui.child<QTableView>(outlet::kTvClntCertInfo)->model()->rowCount(), 5);
    QCOMPARE(cell(gui, outlet::kTvSvrCertInfo, 1, 1), QString("A123456789-00"));
    QCOMPARE(cell(gui, outlet::kTvClntCertInfo, 2, 0), QString("憑證序號"));
    QVERIFY(!gui.child(outlet::kBtnApplyCert)->isEnabled());
    QVERIFY(gui.child(outlet::kBtnDepCert)->isEnabled());
}

// The login waits on a service that does not answer; meanwhile the loop runs (a timer
// fires, the step is named, a click is dropped, a sheet's completion waits) and then the
// service goes away.
void JourneyTest::deadServiceShowsItsMessageWhileTheWindowKeepsTurning() {
    DeadService dead;
    GuiHarness gui;
    ServiceEndpoint endpoint = ServiceEndpoint::compiledIn();
    endpoint.host = "127.0.0.1:" + std::to_string(dead.port);
    ViewController controller(gui.ports.appPorts(), endpoint);
    gui.ports.window.bind(controller);
    gui.ports.window.show();
    QTest::keyClicks(gui.child(outlet::kTxtUserIdNo), "A123456789");
    QTest::keyClicks(gui.child(outlet::kTxtSecureLoginPwd), "demo1234");

    QString shownLabel;
    bool wasBusy = false, completed = false;
    gui.ports.queue.post([&] { completed = true; });
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
    QVERIFY(!completed);
    QTRY_VERIFY(completed);
    QTest::mouseClick(gui.child(outlet::kBtnCrtIdno), Qt::LeftButton);
    QVERIFY(gui.child<QLineEdit>(outlet::kTxtUserIdNo)->text() != QString("A123456789"));
}

QTEST_MAIN(JourneyTest)
#include "JourneyTest.moc"
