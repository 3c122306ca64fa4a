#include "app/Program.h"

#include "components/GameScreen.h"
#include "playfield/PortalDesktopSource.h"
#include "playfield/frmRange.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

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

bool compositorRunning() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return false;
    xcb_connection_t* connection = x11->connection();
    const QByteArray name = "_NET_WM_CM_S0";
    auto atomCookie = xcb_intern_atom(connection, 1, quint16(name.size()), name.constData());
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(connection, atomCookie, nullptr);
    if (!atom)
        return false;
    auto ownerCookie = xcb_get_selection_owner(connection, atom->atom);
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(connection, ownerCookie, nullptr);
    const bool running = owner && owner->owner != XCB_NONE;
    free(owner);
    free(atom);
    return running;
}

} // namespace

int hideDelayMs() {
    return compositorRunning() || isWaylandSession() ? 200 : 60;
}

Program::Program() : Program(makeDesktopSource()) {
    // The portal learns who the game is at its first call.
    if (isWaylandSession())
        m_scope = std::make_unique<AppScope>(QDBusConnection::sessionBus());
}

Program::Program(std::unique_ptr<DesktopSource> desktop) : m_desktop(std::move(desktop)) {}

Program::~Program() {
    QObject::disconnect(m_focusWatch);
}

void Program::start() {
    // The monitor the player is using: the login appears there, and everything after it.
    gamescreen::choose(gamescreen::underPointer());
    if (m_scope)
        m_scope->join();
    m_login = std::make_unique<frmLogin>(m_programEnd, gamescreen::metrics());
    m_login->onLoggedIn = [this] { showStartScreen(); };
    m_login->Form_Load();
    gamescreen::centre(m_login.get());
    m_login->show();
    prepareDesktopWhileLoginFocused();
}

// A desktop asks the player for leave to take pictures of the screen only on behalf of the
// focused window, and only the first time: the login dialog is the one the game has.
void Program::prepareDesktopWhileLoginFocused() {
    m_focusWatch = QObject::connect(
        qApp, &QGuiApplication::focusWindowChanged, qApp, [this](QWindow* focused) {
            if (!m_login || focused != m_login->windowHandle())
                return;
            QObject::disconnect(m_focusWatch);
            afterScope([this, parent = PortalDesktopSource::parentWindowHandle(m_login.get())] {
                m_desktop->prepare(parent);
            });
        });
}

void Program::afterScope(std::function<void()> then) {
    if (m_scope)
        m_scope->whenSettled(std::move(then));
    else
        then();
}

void Program::showStartScreen() {
    QObject::disconnect(m_focusWatch);
    // In a Wayland session no client knows the pointer, XWayland's included: the output the
    // compositor put the login on is the player's.
    if (isWaylandSession() && m_login->screen())
        gamescreen::choose(m_login->screen());
    // The login dialog must be off the screen before the desktop is captured, and the start
    // screen shows only once the picture is in hand.
    QGuiApplication::sync();
    QTimer::singleShot(hideDelayMs(), qApp, [this] {
        m_login.reset();
        afterScope(
            [this] { m_desktop->capture(gamescreen::screen(), [this] { loadStartScreen(); }); });
    });
    // What needs no snapshot is done while the windows beneath repaint.
    m_sound.prepare();
    m_start = std::make_unique<frmStart>(
        makeServices(m_sound, m_messages, m_programEnd, *m_desktop, m_browser, m_settingsFolders));
}

void Program::loadStartScreen() {
    m_start->Form_Load();
    gamescreen::centre(m_start.get());
    m_start->show();
}
