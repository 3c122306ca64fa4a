#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QTimer>

#include <functional>
#include <vector>

// The game in a systemd scope of its own, named as desktop launchers name an application's
// scope: older desktop portals (before the Registry call) learn an unsandboxed program's id from
// its scope, and store the player's answers under it. Started from a terminal or a script the
// game has none, and its answers would stand for every such program. Where no systemd user
// manager answers, the game goes on as it is.
class AppScope final : public QObject {
    Q_OBJECT
  public:
    static constexpr int kDefaultWaitMs = 2000;

    explicit AppScope(QDBusConnection bus, int waitMs = kDefaultWaitMs);

    // Moves the game into its scope unless it runs in a unit that gives it its id already; the
    // move is done, refused, or given up after the wait.
    void join();
    // Runs `then` once the move is settled: at once if it is.
    void whenSettled(std::function<void()> then);

    // "app-org.example.Deskwreck-<pid>.scope"
    static QString unitName(qint64 pid);

  private slots:
    void JobRemoved(const QDBusMessage& signal);

  private:
    void settle();

    QDBusConnection m_bus;
    QString m_unit;
    QTimer m_wait;
    bool m_settled = false;
    std::vector<std::function<void()>> m_waiting;
};
