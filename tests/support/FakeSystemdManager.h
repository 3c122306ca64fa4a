#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QStringList>

#include <optional>

// systemd's user manager on a test bus, as far as a program that starts a transient scope for
// itself sees it: StartTransientUnit answers with a job, whose JobRemoved follows as the test
// says. It moves no process.
class FakeSystemdManager final : public QDBusVirtualObject {
  public:
    explicit FakeSystemdManager(QDBusConnection bus);
    ~FakeSystemdManager() override;

    // When the job ends after the call: at once (0), after that many ms, or never.
    std::optional<int> jobEndsAfterMs = 0;
    // What was asked, as "StartTransientUnit <unit> <mode> <property>=<value>... aux=<count>",
    // each value in D-Bus's text ("PIDs=[4242]", "Slice=app.slice"); and "JobRemoved <unit>"
    // when the job ends.
    QStringList calls;
    bool echo = false; // each line also printed

    // Ends every job started and not yet ended.
    void endJobs();

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

  private:
    void record(const QString& line);
    void startTransientUnit(const QDBusMessage& message);

    QDBusConnection m_bus;
    QStringList m_running; // units whose job has not ended
    uint m_jobs = 0;
};
