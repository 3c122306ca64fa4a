#pragma once

#include "app/AppScope.h"
#include "app/frmLogin.h"
#include "app/frmStart.h"
#include "components/MessageBox.h"
#include "components/OpenAlSoundOutput.h"
#include "components/ProgramEnd.h"
#include "playfield/BrowserLauncher.h"
#include "playfield/DesktopSource.h"

#include <QObject>

#include <memory>

// The whole game: its devices, and the windows in the order they come up.
class Program {
  public:
    Program();
    // With a desktop and message box of the caller's choosing, as a test has them.
    explicit Program(std::unique_ptr<DesktopSource> desktop,
                     std::unique_ptr<MessageBox> messages = std::make_unique<QtMessageBox>());
    ~Program();

    // Logs the player in and brings up the start screen over the desktop's picture.
    void start();

    frmLogin* login() const { return m_login.get(); }
    frmStart* startScreen() const { return m_start.get(); }

  private:
    void logIn(std::function<void()> loggedIn);
    void prepareDesktopWhileLoginFocused();
    // The rest of the game shows on the monitor the login was on.
    void chooseLoginScreen();
    void buildStartScreen();
    void takePicture(std::function<void()> taken);
    void loadStartScreenAndField();
    void showStartScreen();
    // Runs `then` once the game's scope is settled, where it joins one.
    void afterScope(std::function<void()> then);

    OpenAlSoundOutput m_sound;
    std::unique_ptr<MessageBox> m_messages;
    QtProgramEnd m_programEnd{m_sound};
    std::unique_ptr<DesktopSource> m_desktop;
    std::unique_ptr<AppScope> m_scope; // before the first call of the portal
    XdgBrowserLauncher m_browser;
    settingsfiles::InstalledSettingsFolders m_settingsFolders;
    std::unique_ptr<frmLogin> m_login;
    std::unique_ptr<frmStart> m_start;
    QMetaObject::Connection m_focusWatch;
};
