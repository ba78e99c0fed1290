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

class JourneyTest : public QObject {
    Q_OBJECT

  private slots:
    void customerLogsInAppliesAndSeesBothTables();
    void deadServiceShowsItsMessageWhileTheWindowKeepsTurning();
};

// Through the real widgets and the worker thread against the stand-in service: the login
// typed in, the agreement gated by its box, and the results in the window's own views.
void JourneyTest::customerLogsInAppliesAndSeesBothTables() {
    DemoCustomer gui;
    QCOMPARE(gui.ports.window.QMainWindow::windowTitle(), QString("Norvale證券憑證管理 V1.0"));
    gui.logIn();
    QVERIFY(!gui.child(outlet::kTxtUserIdNo)->isEnabled());
    QCOMPARE(gui.child<QPushButton>(outlet::kBtnLogin)->text(), QString("登出"));

    auto* agreement = gui.openDialog<UserAgreementWindow>();
    QVERIFY(agreement);
    QVERIFY(agreement->findChild<QTextBrowser*>()->toPlainText().contains("約定條款"));
    QVERIFY(!agreement->findChild<QPushButton*>("btnNextStep")->isEnabled());
    QVERIFY(gui.apply());
    const std::string pfx = gui.desktop.homePath() + "/A123456789_S.pfx";
    QCOMPARE(gui.child<QLineEdit>(outlet::kLblPfxFilePath)->text(), QString::fromStdString(pfx));
    QCOMPARE(gui.child<QTableView>(outlet::kTvSvrCertInfo)->model()->rowCount(), 7);
    QCOMPARE(gui.child<QTableView>(outlet::kTvClntCertInfo)->model()->rowCount(), 5);
    QVERIFY(gui.child(outlet::kBtnDepCert)->isEnabled());
}

// The login waits on a service that does not answer; meanwhile the loop runs (a timer
// fires, the step is named, a click is dropped, a sheet's completion waits) and then the
// service goes away.
void JourneyTest::deadServiceShowsItsMessageWhileTheWindowKeepsTurning() {
    DeadService dead;
    GuiHarness gui;
    ViewController controller(gui.ports.appPorts(), dead.endpoint());
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
    QVERIFY(gui.ports.window.statusBar()->currentMessage().isEmpty());
    QVERIFY(!completed);
    QTRY_VERIFY(completed);
    QTest::mouseClick(gui.child(outlet::kBtnCrtIdno), Qt::LeftButton);
    QVERIFY(gui.child<QLineEdit>(outlet::kTxtUserIdNo)->text() != QString("A123456789"));
}

QTEST_MAIN(JourneyTest)
#include "JourneyTest.moc"
