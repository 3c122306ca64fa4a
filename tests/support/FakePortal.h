#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QImage>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// A session bus of the test's own: a dbus-daemon that activates no service, so no real portal
// answers on it.
class PrivateBus {
  public:
    PrivateBus();
    ~PrivateBus();
    bool isRunning() const { return !m_address.isEmpty(); }
    // A new connection to the bus, under a name of its own.
    QDBusConnection connect(const QString& name) const;

  private:
    QTemporaryDir m_folder;
    QProcess m_daemon;
    QString m_address;
};

// The desktop portal's Screenshot, Registry and permission store, on its own connection, answering
// as the test says. It answers at once, before its reply to the call, so a client that listened
// only after the call would miss the answer.
class FakePortal final : public QDBusVirtualObject {
  public:
    enum class Answer {
        Picture,     // response 0 with a PNG it wrote
        NotAPicture, // response 0 with a file of text
        Cancelled,   // response 1
        Refused,     // response 2
        Nothing,     // never answers
        // As GNOME does the first time: only a request naming a parent window gets the question,
        // which is granted; from then on every request is answered with the picture.
        OnlyWithParent,
    };

    FakePortal(const PrivateBus& bus, QImage picture);
    // On a connection of the caller's, as the stand-alone fake_portal program has it.
    FakePortal(QDBusConnection bus, QImage picture);
    ~FakePortal() override;

    Answer answer = Answer::Picture;
    bool offersRegistry = true;
    bool granted = false;
    // What the game asked, in order: "Register <id>", "Lookup", "Screenshot <parent>", "Close".
    QStringList calls;
    QStringList files; // every file it handed out
    bool echo = false; // each call also printed on a line of its own

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

  private:
    void record(const QString& call);
    void screenshot(const QDBusMessage& message);
    void respond(const QString& requestPath, uint response, const QString& file);
    QString writeFile(bool picture);

    QDBusConnection m_bus;
    QImage m_picture;
    QTemporaryDir m_folder;
    bool m_ownsConnection = false;
};
