#pragma once

#include <QPointer>

#include "app/SheetPort.h"

class ChgPfxPwdWindow;
class DepCertWindow;
class Desktop;
class LoadPfxWindow;
class MainLoopQueue;
class QtAlerts;
class QWidget;
class SavePfxWindow;
class UserAgreementWindow;

// The dialogs as window-modal sheets on the main window. Each kind keeps the window made
// last; making the next one disposes of it once the main loop is back.
class QtSheets final : public SheetPort {
  public:
    QtSheets(QWidget& window, QtAlerts& alerts, MainLoopQueue& queue, const Desktop& desktop);

    SheetWindow<SavePfxWindowView> makeSavePfxWindow() override;
    SheetWindow<LoadPfxWindowView> makeLoadPfxWindow() override;
    SheetWindow<ChgPfxPwdWindowView> makeChgPfxPwdWindow() override;
    SheetWindow<DepCertWindowView> makeDepCertWindow() override;
    SheetWindow<UserAgreementWindowView> makeUserAgreementWindow() override;

    void beginSheet(SavePfxWindowController& controller, SheetDone done) override;
    void beginSheet(LoadPfxWindowController& controller, SheetDone done) override;
    void beginSheet(ChgPfxPwdWindowController& controller, SheetDone done) override;
    void beginSheet(DepCertWindowController& controller, SheetDone done) override;
    void beginSheet(UserAgreementWindowController& controller, SheetDone done) override;

  private:
    template <class Window, class... Extra>
    Window& replace(QPointer<Window>& last, Extra&... extra);

    QWidget& window_;
    QtAlerts& alerts_;
    MainLoopQueue& queue_;
    const Desktop& desktop_;
    QPointer<SavePfxWindow> savePfx_;
    QPointer<LoadPfxWindow> loadPfx_;
    QPointer<ChgPfxPwdWindow> chgPfxPwd_;
    QPointer<DepCertWindow> depCert_;
    QPointer<UserAgreementWindow> userAgreement_;
};
