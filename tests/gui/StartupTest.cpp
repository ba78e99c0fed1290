#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include "GuiTestSupport.h"
#include "gui/SingleInstance.h"
#include "support/TempDir.h"

namespace {

QStringList enabledControls(const GuiHarness& gui) {
    QStringList enabled;
    for (const char* name : kWindowControls) {
        if (gui.child(name)->isEnabled()) enabled << name;
    }
    return enabled;
}

// The program itself, with its home and runtime folder in `runtime`.
void startClient(QProcess& client, const TempDir& runtime) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.path()));
    env.insert("HOME", QString::fromStdString(runtime.path()));
    client.setProcessEnvironment(env);
    client.start(NORVALE_CLIENT, {});
}

}  // namespace

class StartupTest : public QObject {
    Q_OBJECT

  private slots:
    void waitingCheckLeavesNothingUsableAndNoAnswerIsNoUpdate();
    void crashedClientDoesNotBlockAndASecondStartRaisesTheFirst();
    void deadServiceShowsItsMessageWhileTheWindowKeepsTurning();
};

// The service takes the connection and says nothing: the window is up with every control
// off and the step named; then the service goes away, which is not an outdated client, and
// the customer quits with nothing turned on.
void StartupTest::waitingCheckLeavesNothingUsableAndNoAnswerIsNoUpdate() {
    DeadService dead;
    GuiHarness gui;
    ViewController controller(gui.ports.appPorts(), dead.endpoint());
    gui.ports.window.bind(controller);
    controller.viewWillAppear();  // as the program starts: shown first, checked after
    gui.ports.window.show();
    QStringList enabledMeanwhile{"not looked at"};
    QString label;
    QTimer::singleShot(0, [&] {
        enabledMeanwhile = enabledControls(gui);
        label = gui.ports.window.statusBar()->currentMessage();
        dead.close();
    });
    gui.answer = [](const Alert& alert) { return static_cast<int>(alert.buttons.size()) - 1; };
    controller.viewDidLoad();

    QCOMPARE(enabledMeanwhile, QStringList{});
    QCOMPARE(label, QString(app_text::kStepVersion));
    QCOMPARE(gui.alerts.size(), std::size_t{1});
    QCOMPARE(gui.alerts[0].text, std::string(app_text::kServiceUnreachable));
    QVERIFY(controller.isQuitting());
    QCOMPARE(enabledControls(gui), QStringList{});
}

// A client killed while it ran leaves its lock file and its socket behind; the next one
// claims past them, and the program started after it raises it and ends.
void StartupTest::crashedClientDoesNotBlockAndASecondStartRaisesTheFirst() {
    TempDir runtime;
    const QString base = QString::fromStdString(runtime.file("norvale-cert-client"));
    QProcess crashed;
    startClient(crashed, runtime);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(base + ".socket"), 60000);
    crashed.kill();
    QVERIFY(crashed.waitForFinished(60000));
    QVERIFY(QFile::exists(base + ".lock"));

    SingleInstance first(base);
    QVERIFY(first.claim());
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);
    QProcess second;
    startClient(second, runtime);
    QVERIFY(second.waitForFinished(60000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QTRY_COMPARE(raised.count(), 1);
}

// The login waits on a service that does not answer; meanwhile the loop runs (a timer
// fires, the step is named, a click is dropped, a sheet's completion waits) and then the
// service goes away.
void StartupTest::deadServiceShowsItsMessageWhileTheWindowKeepsTurning() {
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

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
