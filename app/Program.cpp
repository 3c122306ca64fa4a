#include "app/Program.h"

#include "components/GameScreen.h"
#include "components/WindowRole.h"
#include "playfield/PortalDesktopSource.h"
#include "playfield/frmRange.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

namespace {

PlayFieldServices makeServices(SoundOutput& sound, MessageBox& messages, ProgramEnd& end,
                               DesktopSource& desktop, BrowserLauncher& browser,
                               const settingsfiles::SettingsFolders& settingsFolders) {
    const QScreen* screen = gamescreen::screen();
    return {sound,
            messages,
            end,
            desktop,
            browser,
            QCoreApplication::applicationDirPath(),
            screen ? screen->geometry() : QRect(0, 0, 1024, 768),
            gamescreen::metrics(),
            settingsFolders};
}

// In a Wayland session the X root window holds no picture of the desktop, even for an X11 client
// through XWayland: the desktop portal is asked instead.
std::unique_ptr<DesktopSource> makeDesktopSource() {
    if (isWaylandSession())
        return std::make_unique<PortalDesktopSource>(QDBusConnection::sessionBus());
    return std::make_unique<X11DesktopSource>();
}

} // namespace

Program::Program() : Program(makeDesktopSource()) {
    // The portal learns who the game is at its first call.
    if (isWaylandSession())
        m_scope = std::make_unique<AppScope>(QDBusConnection::sessionBus());
}

Program::Program(std::unique_ptr<DesktopSource> desktop, std::unique_ptr<MessageBox> messages)
    : m_messages(std::move(messages)), m_desktop(std::move(desktop)) {}

Program::~Program() {
    QObject::disconnect(m_focusWatch);
}

// The start-up, in the order the player sees it. The desktop's picture is taken with no window
// of the game on the screen, and the start screen shows only once the picture is in hand.
void Program::start() {
    logIn([this] { // the login has hidden itself
        chooseLoginScreen();
        m_desktop->whenHiddenWindowGone([this] {
            m_login.release()->deleteLater();
            takePicture([this] {
                loadStartScreenAndField();
                showStartScreen();
            });
        });
        buildStartScreen(); // needs no picture: built while the login leaves the screen
    });
}

// Shows the login; at OK it hides itself and runs `loggedIn`.
void Program::logIn(std::function<void()> loggedIn) {
    // The monitor the player is using: the login appears there, and everything after it.
    gamescreen::choose(gamescreen::underPointer());
    if (m_scope)
        m_scope->join();
    m_login = std::make_unique<frmLogin>(m_programEnd, gamescreen::metrics());
    m_login->onLoggedIn = std::move(loggedIn);
    m_login->Form_Load();
    // KWin then takes it away at OK without an animation, which would be in the picture.
    windowrole::closeWithoutAnimation(m_login.get());
    gamescreen::centre(m_login.get());
    m_login->show();
    afterScope([this] { m_desktop->getReady(); });
    prepareDesktopWhileLoginFocused();
}

// A desktop asks the player for leave to take pictures of the screen only on behalf of the
// focused window, and only the first time: the login dialog is the one the game has.
void Program::prepareDesktopWhileLoginFocused() {
    m_focusWatch = QObject::connect(qApp, &QGuiApplication::focusWindowChanged, qApp,
                                    [this](QWindow* focused) {
                                        if (!m_login || focused != m_login->windowHandle())
                                            return;
                                        QObject::disconnect(m_focusWatch);
                                        afterScope([this] {
                                            if (m_login)
                                                m_desktop->prepare(*m_login);
                                        });
                                    });
}

void Program::afterScope(std::function<void()> then) {
    if (m_scope)
        m_scope->whenSettled(std::move(then));
    else
        then();
}

void Program::chooseLoginScreen() {
    QObject::disconnect(m_focusWatch);
    // In a Wayland session no client knows the pointer, XWayland's included: the output the
    // compositor put the login on is the player's.
    if (isWaylandSession() && m_login->screen())
        gamescreen::choose(m_login->screen());
}

void Program::buildStartScreen() {
    m_sound.prepare();
    m_start = std::make_unique<frmStart>(
        makeServices(m_sound, *m_messages, m_programEnd, *m_desktop, m_browser, m_settingsFolders));
}

void Program::takePicture(std::function<void()> taken) {
    afterScope(
        [this, taken = std::move(taken)] { m_desktop->capture(gamescreen::screen(), taken); });
}

void Program::loadStartScreenAndField() {
    m_start->Form_Load();
}

void Program::showStartScreen() {
    gamescreen::centre(m_start.get());
    m_start->show();
}
