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
    // With a desktop of the caller's choosing, as a test has it.
    explicit Program(std::unique_ptr<DesktopSource> desktop);
    ~Program();

    void start();

    frmLogin* login() const { return m_login.get(); }
    frmStart* startScreen() const { return m_start.get(); }

  private:
    void prepareDesktopWhileLoginFocused();
    // Runs `then` once the game's scope is settled, where it joins one.
    void afterScope(std::function<void()> then);
    void showStartScreen();
    void loadStartScreen();

    OpenAlSoundOutput m_sound;
    QtMessageBox m_messages;
    QtProgramEnd m_programEnd{m_sound};
    std::unique_ptr<DesktopSource> m_desktop;
    std::unique_ptr<AppScope> m_scope; // before the first call of the portal
    XdgBrowserLauncher m_browser;
    settingsfiles::InstalledSettingsFolders m_settingsFolders;
    std::unique_ptr<frmLogin> m_login;
    std::unique_ptr<frmStart> m_start;
    QMetaObject::Connection m_focusWatch;
};

// How long to wait after hiding a window before the desktop may be grabbed: the X server has
// unmapped it at once, but a compositor may still be showing it.
int hideDelayMs();
