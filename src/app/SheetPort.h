#pragma once

#include <functional>

class ChgPfxPwdWindowController;
class ChgPfxPwdWindowView;
class DepCertWindowController;
class DepCertWindowView;
class DialogHost;
class LoadPfxWindowController;
class LoadPfxWindowView;
class SavePfxWindowController;
class SavePfxWindowView;
class UserAgreementWindowController;
class UserAgreementWindowView;

// A dialog's window, made but not shown yet: the widgets its controller reads and writes and
// the host through which it alerts, chooses files and ends its sheet.
template <class View>
struct SheetWindow {
    View& view;
    DialogHost& host;
};

// Dialogs shown as sheets on the main window. A window lives until the next window of its
// kind is made. `done` receives the sheet result that the controller passed to
// DialogHost::endSheet, later, from the main loop: never from inside endSheet, so a
// completion may open the next dialog of the same kind.
class SheetPort {
  public:
    using SheetDone = std::function<void(int)>;

    virtual ~SheetPort() = default;

    virtual SheetWindow<SavePfxWindowView> makeSavePfxWindow() = 0;
    virtual SheetWindow<LoadPfxWindowView> makeLoadPfxWindow() = 0;
    virtual SheetWindow<ChgPfxPwdWindowView> makeChgPfxPwdWindow() = 0;
    virtual SheetWindow<DepCertWindowView> makeDepCertWindow() = 0;
    virtual SheetWindow<UserAgreementWindowView> makeUserAgreementWindow() = 0;

    // Shows the window made last for the controller's kind, its controls bound to it.
    virtual void beginSheet(SavePfxWindowController& controller, SheetDone done) = 0;
    virtual void beginSheet(LoadPfxWindowController& controller, SheetDone done) = 0;
    virtual void beginSheet(ChgPfxPwdWindowController& controller, SheetDone done) = 0;
    virtual void beginSheet(DepCertWindowController& controller, SheetDone done) = 0;
    virtual void beginSheet(UserAgreementWindowController& controller, SheetDone done) = 0;
};
