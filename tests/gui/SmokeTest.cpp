#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>

#include "GuiTestSupport.h"
#include "ui/DepCertWindowController.h"

namespace {

// A dialog of each kind, opened by the main window's controller as its workflows do.
struct OpenDialogs {
    explicit OpenDialogs(GuiHarness& gui) : gui(gui) {}

    QDialog* open(const QString& kind) {
        auto done = [this](int result, const auto&...) { results.push_back(result); };
        if (kind == "save") controller.showSavePfxWindow("", "", done);
        if (kind == "load") controller.showLoadPfxWindow("", "", "", "", done);
        if (kind == "change") controller.showChgPfxPwdWindow(done);
        if (kind == "browsers") controller.showDepCertWindow(done);
        if (kind == "agreement") controller.showUserAgreement(done);
        return gui.openDialog<QDialog>();
    }

    GuiHarness& gui;
    ViewController controller{gui.ports.appPorts(), ServiceEndpoint{}};
    std::vector<int> results;
};

// Controls that take the keyboard but that a screen reader could not name. A button is
// named by its caption.
QStringList unnamedControls(QWidget& window) {
    QStringList unnamed;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (widget->focusPolicy() == Qt::NoFocus) continue;
        auto* button = qobject_cast<QAbstractButton*>(widget);
        if (button ? button->text().isEmpty() && !button->isHidden()
                   : widget->accessibleName().isEmpty()) {
            unnamed << widget->objectName();
        }
    }
    return unnamed;
}

}  // namespace

class SmokeTest : public QObject {
    Q_OBJECT

  private slots:
    void mainWindowHasEveryOutletByName();
    void tablesReloadAndShowWholeRowsTabsGoInLoginOrderAndTheSizeIsKept();
    void dialogEndsOnEscapeAndReportsLater_data();
    void dialogEndsOnEscapeAndReportsLater();
    void browserDialogSelectsAsItsControllerSays();
    void dialogErrorsKeepTheDialogOpen();
    void alertReturnsThePressedButton_data();
    void alertReturnsThePressedButton();
    void returnInEitherPasswordFieldLogsIn_data();
    void returnInEitherPasswordFieldLogsIn();
    void inputWatchCountsKeysAndLeftClicks_data();
    void inputWatchCountsKeysAndLeftClicks();
};

void SmokeTest::mainWindowHasEveryOutletByName() {
    GuiHarness gui;
    for (const char* name : kWindowControls) QVERIFY2(gui.child(name), name);
    for (const char* name :
         {outlet::kTvSvrCertInfo, outlet::kTvClntCertInfo, outlet::kLblPfxFilePath}) {
        QVERIFY2(gui.child(name), name);
    }
    QCOMPARE(unnamedControls(gui.ports.window), QStringList());
    QVERIFY(gui.child(outlet::kTxtLoginPwd)->isHidden());
    gui.ports.window.setText(outlet::kBtnLogin, "登出");
    QCOMPARE(gui.child<QPushButton>(outlet::kBtnLogin)->text(), QString("登出"));
}

void SmokeTest::tablesReloadAndShowWholeRowsTabsGoInLoginOrderAndTheSizeIsKept() {
    GuiHarness gui;
    MainWindow& window = gui.ports.window;
    ZOLTDGDataSource rows;
    rows.addDataItem({{"Column1", "CN"}, {"Column2", "A123456789-00"}});
    window.showTable(outlet::kTvClntCertInfo, rows);
    auto* table = gui.child<QTableView>(outlet::kTvClntCertInfo);
    rows.reset();
    const QString serial(40, QLatin1Char('F'));
    rows.addDataItem({{"Column1", "憑證效期(起)"}, {"Column2", serial.toStdString()}});
    rows.addDataItem({{"Column1", "身分證號"}});
    window.showTable(outlet::kTvClntCertInfo, rows);
    QCOMPARE(table->model()->rowCount(), 2);
    QCOMPARE(table->model()->index(0, 0).data().toString(), QString("憑證效期(起)"));
    QVERIFY(!table->model()->index(1, 1).data().isValid());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QFontMetrics metrics = table->fontMetrics();
    QVERIFY(table->columnWidth(0) >= metrics.horizontalAdvance(QStringLiteral("憑證效期(起)")));
    QVERIFY(table->columnWidth(1) >= metrics.horizontalAdvance(serial));

    // ID number, Tab, password, Tab, the login button.
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    gui.child(outlet::kTxtUserIdNo)->setFocus();
    for (const char* next : {outlet::kTxtSecureLoginPwd, outlet::kBtnLogin}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), gui.child(next));
    }

    const QSize left = window.size() + QSize(120, 80);
    window.resize(left);
    window.close();
    QtPorts again(gui.desktop);
    QCOMPARE(again.window.size(), left);
}

void SmokeTest::dialogEndsOnEscapeAndReportsLater_data() {
    QTest::addColumn<QString>("kind");
    for (const char* kind : {"save", "load", "change", "browsers", "agreement"}) {
        QTest::newRow(kind) << QString(kind);
    }
}

void SmokeTest::dialogEndsOnEscapeAndReportsLater() {
    QFETCH(QString, kind);
    GuiHarness gui;
    OpenDialogs dialogs(gui);
    QDialog* dialog = dialogs.open(kind);
    QVERIFY(dialog);
    QCOMPARE(unnamedControls(*dialog), QStringList());
    QCOMPARE(dialog->parentWidget(), &gui.ports.window);
    QCOMPARE(dialog->windowModality(), Qt::WindowModal);
    if (kind == "agreement") {  // the page shown, and no next step before the box is ticked
        QVERIFY(dialog->findChild<QTextBrowser*>()->toPlainText().contains("約定條款"));
        QVERIFY(!dialog->findChild<QPushButton*>("btnNextStep")->isEnabled());
    }
    QTest::keyClick(dialog, Qt::Key_Escape);
    QVERIFY(!dialog->isVisible());
    QVERIFY(dialogs.results.empty());  // not from inside the controller that ended the sheet
    QTRY_COMPARE(dialogs.results, std::vector<int>{kSheetCancelled});
}

void SmokeTest::browserDialogSelectsAsItsControllerSays() {
    GuiHarness gui;
    OpenDialogs dialogs(gui);
    auto window = gui.ports.sheets.makeDepCertWindow();
    DepCertWindowController controller(window.host, window.view);
    controller.setSelectMode("S");
    controller.setBrowsersInfo({{{"bundleId", "com.google.Chrome"}, {"name", "Chrome"}},
                                {{"bundleId", "org.mozilla.Firefox"}, {"name", "Firefox"}}});
    controller.windowDidLoad();
    gui.ports.sheets.beginSheet(controller, [&](int result) { dialogs.results.push_back(result); });
    QDialog* dialog = gui.openDialog<QDialog>();
    auto* safari = dialog->findChild<QToolButton*>("imgBtnSafari");
    auto* chrome = dialog->findChild<QToolButton*>("imgBtnChrome");
    auto* firefox = dialog->findChild<QToolButton*>("imgBtnFireFox");
    QVERIFY(safari->isHidden());
    QCOMPARE(firefox->text(), QString("Firefox"));
    // One at a time: a second click keeps the button selected instead of toggling it off.
    QTest::mouseClick(chrome, Qt::LeftButton);
    QTest::mouseClick(firefox, Qt::LeftButton);
    QTest::mouseClick(firefox, Qt::LeftButton);
    QVERIFY(!chrome->isChecked());
    QVERIFY(firefox->isChecked());
    QTest::mouseClick(dialog->findChild<QPushButton*>("btnOk"), Qt::LeftButton);
    QTRY_COMPARE(dialogs.results, std::vector<int>{kSheetConfirmed});
}

void SmokeTest::dialogErrorsKeepTheDialogOpen() {
    GuiHarness gui;
    OpenDialogs dialogs(gui);
    QDialog* dialog = dialogs.open("save");
    QCOMPARE(dialog->findChild<QLineEdit*>("lblPfxFilePath")->text(),
             QString::fromStdString(gui.desktop.homePath() + "/cert.pfx"));
    QTest::keyClicks(dialog->findChild<QLineEdit*>("txtPfxPwd"), "abc12345");
    QTest::keyClicks(dialog->findChild<QLineEdit*>("txtPfxPwdCfm"), "ABC12345");
    QTest::keyClick(dialog->findChild<QLineEdit*>("txtPfxPwdCfm"), Qt::Key_Return);
    QCOMPARE(gui.alerts.size(), std::size_t{1});
    QCOMPARE(gui.alerts[0].text, std::string("密碼與密碼確認值不同!!"));
    QVERIFY(dialog->isVisible());  // Return is the controller's OK, not the dialog's accept
}

void SmokeTest::alertReturnsThePressedButton_data() {
    QTest::addColumn<QString>("press");
    QTest::addColumn<long>("result");
    QTest::newRow("好") << QString("好") << 1000L;
    QTest::newRow("取消") << QString("取消") << 1001L;
    QTest::newRow("Escape") << QString() << 1001L;
}

void SmokeTest::alertReturnsThePressedButton() {
    QFETCH(QString, press);
    QFETCH(long, result);
    FakeDesktop desktop;
    QtPorts ports(desktop);
    QTimer::singleShot(0, [press] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        if (press.isEmpty()) {
            QTest::keyClick(box, Qt::Key_Escape);
            return;
        }
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == press) QTest::mouseClick(button, Qt::LeftButton);
        }
    });
    QCOMPARE(ports.alerts.runModalSheet({"確認資訊", "直接開始憑證申請??", {"好", "取消"}}),
             result);
}

void SmokeTest::returnInEitherPasswordFieldLogsIn_data() {
    QTest::addColumn<bool>("plain");
    QTest::newRow("hidden") << false;
    QTest::newRow("shown in clear") << true;
}

// Without an ID number the login stops at its first check, before any exchange.
void SmokeTest::returnInEitherPasswordFieldLogsIn() {
    QFETCH(bool, plain);
    GuiHarness gui;
    ViewController controller(gui.ports.appPorts(), ServiceEndpoint{});
    gui.ports.window.bind(controller);
    gui.ports.window.show();
    if (plain) tick(gui.child<QCheckBox>(outlet::kChkShowPwdPlainText));
    QWidget* field = gui.child(plain ? outlet::kTxtLoginPwd : outlet::kTxtSecureLoginPwd);
    QVERIFY(field->isVisible());
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(gui.alerts.size(), std::size_t{1});
    QCOMPARE(gui.alerts[0].text, std::string(app_text::kIdEmpty));
}

void SmokeTest::inputWatchCountsKeysAndLeftClicks_data() {
    QTest::addColumn<int>("input");
    QTest::addColumn<bool>("counts");
    QTest::newRow("key press") << 0 << true;
    QTest::newRow("left click") << 1 << true;
    QTest::newRow("right click") << 2 << false;
}

void SmokeTest::inputWatchCountsKeysAndLeftClicks() {
    QFETCH(int, input);
    QFETCH(bool, counts);
    GuiHarness gui;
    ViewController controller(gui.ports.appPorts(), ServiceEndpoint{});
    controller.registerEventMonitor();
    QWidget* field = gui.child(outlet::kTxtUserIdNo);
    if (input == 0) QTest::keyClick(field, Qt::Key_A);
    if (input == 1) QTest::mouseClick(field, Qt::LeftButton);
    if (input == 2) QTest::mouseClick(field, Qt::RightButton);
    QCOMPARE(controller.lastActivity().has_value(), counts);
}

QTEST_MAIN(SmokeTest)
#include "SmokeTest.moc"
